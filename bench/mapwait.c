/* Starts a program and reports how long it took until it mapped a window wider than 100 pixels.
 *
 *   mapwait PROGRAM [ARGS...]     prints the milliseconds, then kills the program.
 * Needs an X display with no window manager (a window manager would map frames instead). */
#include <X11/Xlib.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: mapwait PROGRAM [ARGS...]\n");
        return 2;
    }
    Display *dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "mapwait: no X display\n");
        return 2;
    }
    Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    const double start = now_ms();
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    double mapped = -1;
    while (mapped < 0) {
        XEvent e;
        XNextEvent(dpy, &e);
        if (e.type == MapNotify) {
            XWindowAttributes a;
            if (XGetWindowAttributes(dpy, e.xmap.window, &a) && a.width > 100)
                mapped = now_ms() - start;
        }
    }
    printf("%.1f\n", mapped);
    kill(pid, SIGKILL);
    waitpid(pid, NULL, 0);
    XCloseDisplay(dpy);
    return 0;
}
