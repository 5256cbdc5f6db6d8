// Starts a program on the X display of $DISPLAY and reports how long it took
// until its first top-level window with the given title was mapped, and the
// program's resident memory at that moment; then ends the program.
//   startup_probe TITLE COMMAND [ARGUMENT...]
// Prints "<milliseconds> <resident kB>". It listens for the map on the root
// window (no polling of the window tree), so the figure is the moment the
// server mapped the window. Exits non-zero if the program ends or 60 seconds
// pass first.
#include <xcb/xcb.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

double Now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection,
            xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string Property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, property, type, 0, 1024), nullptr),
        &std::free);
    if (!reply)
        return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
        static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

long ResidentKilobytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

void Stop(pid_t pid)
{
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TITLE COMMAND [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    const std::string title = argv[1];

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "startup_probe: cannot open the display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t netName = Atom(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = Atom(connection, "UTF8_STRING");
    // The selection is in place (checked with a round trip) before the
    // program starts, so no map can come first.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    if (xcb_generic_error_t* error = xcb_request_check(
            connection, xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &mask))) {
        std::free(error);
        std::fprintf(stderr, "startup_probe: cannot watch the root window\n");
        return 2;
    }

    const double start = Now();
    pid_t pid = 0;
    if (const int error = posix_spawnp(&pid, argv[2], nullptr, nullptr, argv + 2, environ)) {
        std::fprintf(stderr, "startup_probe: cannot start %s: %s\n", argv[2], std::strerror(error));
        return 2;
    }
    // Readable when the program ends, so a program that dies before its
    // window appears does not leave the probe waiting.
    const int ended = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));

    const double deadline = start + 60e3;
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(event, &std::free);
            if ((event->response_type & 0x7F) != XCB_MAP_NOTIFY)
                continue;
            const double mapped = Now();
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
            if (map->override_redirect)
                continue;
            const std::string name = Property(connection, map->window, netName, utf8)
                + Property(connection, map->window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
            if (name.find(title) == std::string::npos)
                continue;
            const long resident = ResidentKilobytes(pid);
            Stop(pid);
            std::printf("%.1f %ld\n", mapped - start, resident);
            return 0;
        }
        if (xcb_connection_has_error(connection)) {
            std::fprintf(stderr, "startup_probe: lost the display\n");
            Stop(pid);
            return 1;
        }
        const double left = deadline - Now();
        if (left <= 0) {
            std::fprintf(stderr, "startup_probe: no window \"%s\" within 60 s\n", title.c_str());
            Stop(pid);
            return 1;
        }
        pollfd watched[2] = {{xcb_get_file_descriptor(connection), POLLIN, 0}, {ended, POLLIN, 0}};
        if (poll(watched, ended >= 0 ? 2 : 1, static_cast<int>(left) + 1) < 0 && errno != EINTR) {
            Stop(pid);
            return 1;
        }
        if (ended >= 0 && (watched[1].revents & POLLIN) && !(watched[0].revents & POLLIN)) {
            int status = 0;
            waitpid(pid, &status, 0);
            std::fprintf(stderr, "startup_probe: the program ended before its window appeared\n");
            return 1;
        }
    }
}
