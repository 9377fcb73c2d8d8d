/* Prints whether the system counts a screensaver as running; exit code 0
   when it does, 1 when it does not, 2 when the query fails. */
#include <stdio.h>
#include <windows.h>

#ifndef SPI_GETSCREENSAVERRUNNING
#define SPI_GETSCREENSAVERRUNNING 0x0072
#endif

int main(void) {
    BOOL running = FALSE;
    if (!SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0)) {
        printf("query failed\n");
        return 2;
    }
    printf("%s\n", running ? "running" : "not running");
    return running ? 0 : 1;
}
