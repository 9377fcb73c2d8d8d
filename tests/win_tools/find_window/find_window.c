/* find_window.exe <class> [<caption>]
 *   Looks the window up with FindWindowA, prints its handle, exits 0 when
 *   found and 1 when not.
 * find_window.exe --count <class> [<caption>]
 *   Prints how many top-level windows have that exact class (and caption);
 *   exits 0 when there is at least one.
 * find_window.exe --rect <class> <caption> [<child class> <child text>]
 *   Prints the screen rectangle "left top right bottom" of the window, or of
 *   its child with that class and text (a dialog's button, say); exits 0
 *   when found. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

struct match {
    const char *cls;
    const char *caption;
    int count;
};

static BOOL CALLBACK count_one(HWND hwnd, LPARAM param)
{
    struct match *m = (struct match *)param;
    char text[512];
    if (GetClassNameA(hwnd, text, sizeof text) == 0 || strcmp(text, m->cls) != 0)
        return TRUE;
    if (m->caption != NULL) {
        text[0] = '\0';
        GetWindowTextA(hwnd, text, sizeof text);
        if (strcmp(text, m->caption) != 0)
            return TRUE;
    }
    m->count++;
    return TRUE;
}

int main(int argc, char **argv)
{
    if (argc >= 3 && strcmp(argv[1], "--count") == 0) {
        struct match m = {argv[2], argc > 3 ? argv[3] : NULL, 0};
        EnumWindows(count_one, (LPARAM)&m);
        printf("%d\n", m.count);
        return m.count > 0 ? 0 : 1;
    }
    if (argc >= 4 && strcmp(argv[1], "--rect") == 0) {
        HWND hwnd = FindWindowA(argv[2], argv[3]);
        if (hwnd != NULL && argc >= 6)
            hwnd = FindWindowExA(hwnd, NULL, argv[4], argv[5]);
        RECT r;
        if (hwnd == NULL || !GetWindowRect(hwnd, &r))
            return 1;
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (argc < 2) {
        fprintf(stderr, "usage: find_window [--count|--rect] <class> [<caption>] ...\n");
        return 2;
    }
    HWND hwnd = FindWindowA(argv[1], argc > 2 ? argv[2] : NULL);
    printf("%p\n", (void *)hwnd);
    return hwnd != NULL ? 0 : 1;
}
