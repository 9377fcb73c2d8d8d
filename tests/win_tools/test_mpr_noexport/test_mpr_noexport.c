/* Test MPR.DLL without PwdChangePasswordA; it logs from the one function it
 * has so that a wrong lookup would still leave a trace. */
#include <windows.h>
#include <stdio.h>

int NotThePasswordFunction(void)
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("VIDSAVER_TEST_LOG", path, sizeof path);
    if (n == 0 || n >= sizeof path)
        lstrcpynA(path, "C:\\vidsaver_test_log.txt", (int)sizeof path);
    FILE *f = fopen(path, "a");
    if (f != NULL) {
        fputs("NotThePasswordFunction\n", f);
        fclose(f);
    }
    return 0;
}
