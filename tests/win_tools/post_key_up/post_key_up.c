/* Posts a lone WM_KEYUP (space) to the running saver window. X test input
 * always sends a press before a release, so this is the only way to show
 * the saver a key release whose press it never saw. */
#include <windows.h>
#include <stdio.h>

int main(void)
{
    HWND saver = FindWindowA("TForm1", "Devarozuv33");
    if (saver == NULL) {
        fprintf(stderr, "post_key_up: no saver window\n");
        return 1;
    }
    /* repeat count 1, scan code of space, previous state down, transition up */
    LPARAM flags = (LPARAM)0xC0390001u;
    if (!PostMessageA(saver, WM_KEYUP, VK_SPACE, flags)) {
        fprintf(stderr, "post_key_up: PostMessageA failed (%lu)\n", GetLastError());
        return 1;
    }
    printf("%p\n", (void *)saver);
    return 0;
}
