/* window_info.exe client <class>
 *   One line per visible top-level window of that exact class, topmost
 *   first: "<handle> <client left> <client top> <client width> <client
 *   height> <left> <top> <right> <bottom>", the client area in screen
 *   coordinates (ClientToScreen), then the window's own rectangle. Exits 0
 *   when there is at least one.
 * window_info.exe children <class> [<caption>]
 *   For the window found by FindWindowA, one tab-separated line per child
 *   window: "<class> <left> <top> <width> <height> <visible> <checked>
 *   <text>", the position inside the window's client area, <checked> 1 for
 *   a checked button, line breaks of the text shown as "\n". Exits 0 when
 *   the window is found. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

static const char *wanted_class;
static int found;

static BOOL CALLBACK print_client(HWND hwnd, LPARAM unused)
{
    char cls[256];
    POINT origin = {0, 0};
    RECT client, outer;
    (void)unused;
    if (!IsWindowVisible(hwnd) || GetClassNameA(hwnd, cls, sizeof cls) == 0 ||
        strcmp(cls, wanted_class) != 0)
        return TRUE;
    if (!ClientToScreen(hwnd, &origin) || !GetClientRect(hwnd, &client) ||
        !GetWindowRect(hwnd, &outer))
        return TRUE;
    printf("%p %ld %ld %ld %ld %ld %ld %ld %ld\n", (void *)hwnd, origin.x, origin.y,
           client.right - client.left, client.bottom - client.top, outer.left, outer.top,
           outer.right, outer.bottom);
    found++;
    return TRUE;
}

static BOOL CALLBACK print_child(HWND hwnd, LPARAM top)
{
    char cls[256], text[4096];
    const char *p;
    RECT r;
    cls[0] = text[0] = '\0';
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, text, sizeof text);
    GetWindowRect(hwnd, &r);
    MapWindowPoints(NULL, (HWND)top, (POINT *)&r, 2);
    printf("%s\t%ld\t%ld\t%ld\t%ld\t%d\t%d\t", cls, r.left, r.top, r.right - r.left,
           r.bottom - r.top, IsWindowVisible(hwnd) ? 1 : 0,
           _stricmp(cls, "Button") == 0 &&
                   SendMessageA(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    for (p = text; *p; ++p) {
        if (*p == '\r')
            continue;
        if (*p == '\n')
            fputs("\\n", stdout);
        else
            putchar(*p);
    }
    putchar('\n');
    return TRUE;
}

int main(int argc, char **argv)
{
    if (argc == 3 && strcmp(argv[1], "client") == 0) {
        wanted_class = argv[2];
        EnumWindows(print_client, 0);
        return found > 0 ? 0 : 1;
    }
    if ((argc == 3 || argc == 4) && strcmp(argv[1], "children") == 0) {
        HWND hwnd = FindWindowA(argv[2], argc == 4 ? argv[3] : NULL);
        if (hwnd == NULL)
            return 1;
        EnumChildWindows(hwnd, print_child, (LPARAM)hwnd);
        return 0;
    }
    fprintf(stderr, "usage: window_info client <class> | children <class> [<caption>]\n");
    return 2;
}
