// Starts a program under the X display and reports how long it took until its first top-level
// window was mapped: the whole process, from before the fork to the X server's MapNotify, as a
// user sees a window appear. Then ends the program.
//
//   usage: startup-map-probe [--timeout SECONDS] PROGRAM [ARGUMENTS...]
//   prints: the milliseconds, e.g. "183.4"; exit 0, or 1 when no window was mapped in time.
//
// The display should be one of its own (a fresh Xvfb without a window manager), so that the first
// window mapped there is the program's.

#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

double nowMs()
{
    timespec t {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1.0e6;
}

// The first MapNotify of a window that is not override-redirect (no menu, tool tip or drag icon):
// true when one came before `deadlineMs`.
bool awaitTopLevelMap(xcb_connection_t* connection, double deadlineMs)
{
    const int fd = xcb_get_file_descriptor(connection);
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY
                && reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect == 0;
            std::free(event);
            if (mapped) {
                return true;
            }
        }
        if (xcb_connection_has_error(connection)) {
            return false;
        }
        const double left = deadlineMs - nowMs();
        if (left <= 0) {
            return false;
        }
        pollfd wait {fd, POLLIN, 0};
        poll(&wait, 1, int(left) + 1);
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    double timeoutSeconds = 30;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--timeout") == 0) {
        timeoutSeconds = std::atof(argv[2]);
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: %s [--timeout SECONDS] PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }

    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "startup-map-probe: cannot open the display\n");
        return 2;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i) {
        xcb_screen_next(&screens);
    }
    // Top-level windows are the root's children: their maps reach a client that watches the
    // root's substructure.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_request_check(connection,
                      xcb_change_window_attributes_checked(connection, screens.data->root, XCB_CW_EVENT_MASK, &mask));

    const double start = nowMs();
    const pid_t child = fork();
    if (child == 0) {
        close(xcb_get_file_descriptor(connection));
        execvp(argv[first], argv + first);
        std::fprintf(stderr, "startup-map-probe: cannot start %s: %s\n", argv[first], std::strerror(errno));
        _exit(127);
    }
    const bool mapped = awaitTopLevelMap(connection, start + timeoutSeconds * 1000.0);
    const double elapsed = nowMs() - start;

    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    xcb_disconnect(connection);
    if (!mapped) {
        std::fprintf(stderr, "startup-map-probe: %s mapped no window within %g s\n", argv[first], timeoutSeconds);
        return 1;
    }
    std::printf("%.1f\n", elapsed);
    return 0;
}
