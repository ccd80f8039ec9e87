/* Launches a program and waits for its first top-level window to be mapped
 * (the X server's MapNotify on the root window; with no window manager a
 * mapped top-level window is viewable). Prints the wall time from launch in
 * milliseconds and the program's VmRSS in kB at that moment, then ends it.
 *   mapwait <program> [arguments...]      (DISPLAY must be set)
 * Used by bench/startup.sh, which compiles it. */
#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

static long vmrss_kb(pid_t pid)
{
    char path[64], line[256];
    long kb = -1;
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE *f = fopen(path, "r");
    if (!f)
        return -1;
    while (fgets(line, sizeof line, f))
        if (sscanf(line, "VmRSS: %ld", &kb) == 1)
            break;
    fclose(f);
    return kb;
}

int main(int argc, char *argv[])
{
    if (argc < 2) {
        fprintf(stderr, "usage: mapwait <program> [arguments...]\n");
        return 2;
    }
    xcb_connection_t *c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c)) {
        fprintf(stderr, "mapwait: no display\n");
        return 1;
    }
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t ck = xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_generic_error_t *err = xcb_request_check(c, ck);
    if (err) {
        fprintf(stderr, "mapwait: cannot watch the root window\n");
        return 1;
    }

    const double t0 = now_ms();
    pid_t pid = fork();
    if (pid == 0) {
        execv(argv[1], argv + 1);
        perror("mapwait: exec");
        _exit(127);
    }
    int result = 1;
    struct pollfd pfd = {xcb_get_file_descriptor(c), POLLIN, 0};
    while (now_ms() - t0 < 20000) {
        xcb_generic_event_t *ev;
        int mapped = 0;
        while ((ev = xcb_poll_for_event(c))) {
            if ((ev->response_type & 0x7f) == XCB_MAP_NOTIFY
                && ((xcb_map_notify_event_t *)ev)->event == root)
                mapped = 1;
            free(ev);
        }
        if (mapped) {
            const double t1 = now_ms();
            printf("%.1f %ld\n", t1 - t0, vmrss_kb(pid));
            result = 0;
            break;
        }
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            fprintf(stderr, "mapwait: %s ended with no window (status %d)\n", argv[1], status);
            return 1;
        }
        if (xcb_connection_has_error(c))
            break;
        poll(&pfd, 1, 50);
    }
    if (result)
        fprintf(stderr, "mapwait: %s showed no window\n", argv[1]);
    kill(pid, SIGTERM);
    waitpid(pid, NULL, 0);
    xcb_disconnect(c);
    return result;
}
