/* Pixel probe: reads a few pixels of the X root window over and over and
 * prints a line whenever any of them changes:
 *
 *     <CLOCK_MONOTONIC seconds> r,g,b r,g,b ...
 *
 * A last line "# samples <n> seconds <s>" tells how fast it went.
 *
 * Usage: probe <display> <seconds> <pause-microseconds> x,y [x,y ...]
 *
 * One XGetImage of a single pixel per point: far cheaper than a screenshot,
 * so the probe can look every millisecond or two without taking a core.
 */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static volatile sig_atomic_t stop;

static void on_signal(int sig) {
    (void)sig;
    stop = 1;
}

static double now(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

/* The shift that brings a channel mask's top bit to bit 7. */
static int shift_of(unsigned long mask) {
    int top = 0;
    while (mask >> (top + 1)) ++top;
    return top - 7;
}

static unsigned channel(unsigned long pixel, unsigned long mask) {
    int s = shift_of(mask);
    unsigned long v = pixel & mask;
    return (unsigned)((s >= 0 ? v >> s : v << -s) & 0xFF);
}

int main(int argc, char** argv) {
    if (argc < 5) {
        fprintf(stderr, "usage: %s display seconds pause-us x,y [x,y ...]\n", argv[0]);
        return 2;
    }
    Display* dpy = XOpenDisplay(argv[1]);
    if (!dpy) {
        fprintf(stderr, "cannot open display %s\n", argv[1]);
        return 1;
    }
    double seconds = atof(argv[2]);
    long pause_us = atol(argv[3]);
    int n = argc - 4;
    int* xs = calloc((size_t)n, sizeof *xs);
    int* ys = calloc((size_t)n, sizeof *ys);
    unsigned long* last = calloc((size_t)n, sizeof *last);
    unsigned long* cur = calloc((size_t)n, sizeof *cur);
    if (!xs || !ys || !last || !cur) return 1;
    for (int i = 0; i < n; ++i) {
        if (sscanf(argv[4 + i], "%d,%d", &xs[i], &ys[i]) != 2) {
            fprintf(stderr, "bad point %s\n", argv[4 + i]);
            return 2;
        }
    }
    signal(SIGTERM, on_signal);
    signal(SIGINT, on_signal);
    signal(SIGPIPE, on_signal);

    Window root = DefaultRootWindow(dpy);
    Visual* vis = DefaultVisual(dpy, DefaultScreen(dpy));
    double start = now(), end = start + seconds;
    long samples = 0;
    int first = 1;
    while (!stop && now() < end) {
        for (int i = 0; i < n; ++i) {
            XImage* img = XGetImage(dpy, root, xs[i], ys[i], 1, 1, AllPlanes, ZPixmap);
            cur[i] = img ? XGetPixel(img, 0, 0) : 0;
            if (img) XDestroyImage(img);
        }
        double t = now();
        ++samples;
        if (first || memcmp(cur, last, (size_t)n * sizeof *cur) != 0) {
            printf("%.6f", t);
            for (int i = 0; i < n; ++i)
                printf(" %u,%u,%u", channel(cur[i], vis->red_mask),
                       channel(cur[i], vis->green_mask), channel(cur[i], vis->blue_mask));
            printf("\n");
            fflush(stdout);
            memcpy(last, cur, (size_t)n * sizeof *cur);
            first = 0;
        }
        if (pause_us > 0) usleep((useconds_t)pause_us);
    }
    printf("# samples %ld seconds %.6f\n", samples, now() - start);
    fflush(stdout);
    XCloseDisplay(dpy);
    return 0;
}
