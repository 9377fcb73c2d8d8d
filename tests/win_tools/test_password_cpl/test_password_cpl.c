/* Test PASSWORD.CPL. VerifyScreenSavePwd appends "verify|<1 if it got a
 * window, else 0>" to the file named by VIDSAVER_TEST_LOG, shows a modal box
 * titled "Password check" that closes itself after about 300 ms (so that the
 * caller's message filtering runs inside a foreign modal loop), then answers
 * from the file named by VIDSAVER_TEST_PWD_ANSWER: "1" accepts, "0" refuses,
 * no file accepts. */
#include <windows.h>
#include <stdio.h>

static const char box_title[] = "Password check";

static void env_or(const char *name, const char *fallback, char *out, DWORD size)
{
    DWORD n = GetEnvironmentVariableA(name, out, size);
    if (n == 0 || n >= size) {
        if (fallback != NULL)
            lstrcpynA(out, fallback, (int)size);
        else
            out[0] = '\0';
    }
}

static void append_log(const char *line)
{
    char path[MAX_PATH];
    env_or("VIDSAVER_TEST_LOG", "C:\\vidsaver_test_log.txt", path, sizeof path);
    FILE *f = fopen(path, "a");
    if (f != NULL) {
        fprintf(f, "%s\n", line);
        fclose(f);
    }
}

static BOOL read_answer(void)
{
    char path[MAX_PATH];
    env_or("VIDSAVER_TEST_PWD_ANSWER", NULL, path, sizeof path);
    if (path[0] == '\0')
        return TRUE;
    FILE *f = fopen(path, "r");
    if (f == NULL)
        return TRUE;
    int c = fgetc(f);
    fclose(f);
    return c != '0';
}

static void CALLBACK close_box(HWND hwnd, UINT msg, UINT_PTR id, DWORD time)
{
    (void)hwnd;
    (void)msg;
    (void)time;
    HWND box = FindWindowA("#32770", box_title);
    if (box == NULL)
        return; /* not up yet: the timer fires again */
    KillTimer(NULL, id);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

BOOL WINAPI VerifyScreenSavePwd(HWND owner)
{
    append_log(owner != NULL ? "verify|1" : "verify|0");
    BOOL accepted = read_answer();
    UINT_PTR timer = SetTimer(NULL, 0, 300, close_box);
    MessageBoxA(owner, accepted ? "Accepting the password." : "Refusing the password.",
                box_title, MB_OK | MB_ICONINFORMATION);
    if (timer != 0)
        KillTimer(NULL, timer);
    return accepted;
}
