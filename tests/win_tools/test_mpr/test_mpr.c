/* Test MPR.DLL: records each PwdChangePasswordA call as one line
 * "provider|parent|r1|r2" in the file named by VIDSAVER_TEST_LOG. */
#include <windows.h>
#include <stdio.h>
#include <stdint.h>

static void log_path(char *path, DWORD size)
{
    DWORD n = GetEnvironmentVariableA("VIDSAVER_TEST_LOG", path, size);
    if (n == 0 || n >= size)
        lstrcpynA(path, "C:\\vidsaver_test_log.txt", (int)size);
}

DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND parent, DWORD r1, LPVOID r2)
{
    char path[MAX_PATH];
    log_path(path, sizeof path);
    FILE *f = fopen(path, "a");
    if (f != NULL) {
        fprintf(f, "%s|%llu|%lu|%llu\n", provider != NULL ? provider : "(null)",
                (unsigned long long)(uintptr_t)parent, (unsigned long)r1,
                (unsigned long long)(uintptr_t)r2);
        fclose(f);
    }
    return 0;
}
