// Opens one top-level window on the X display given as the first argument
// and waits. Exits with 0 when the window manager forwards a close request
// (WM_DELETE_WINDOW) or on SIGTERM. With a second argument, writes its pid to
// that file once the window is mapped.
#include <xcb/xcb.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name) {
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

void writePidFile(const std::string &path) {
    const std::string partial = path + ".partial";
    std::FILE *file = std::fopen(partial.c_str(), "w");
    if (!file) std::exit(3);
    std::fprintf(file, "%d\n", static_cast<int>(::getpid()));
    std::fclose(file);
    if (std::rename(partial.c_str(), path.c_str()) != 0) std::exit(3);
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) return 2;
    std::signal(SIGTERM, [](int) { ::_exit(0); });

    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(argv[1], &screenNumber);
    if (xcb_connection_has_error(connection)) return 4;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&screens);
    const xcb_screen_t *screen = screens.data;

    const xcb_window_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 200, 120, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);

    const char title[] = "Quorvel test window";
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, sizeof title - 1, title);
    const xcb_atom_t protocols = internAtom(connection, "WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = internAtom(connection, "WM_DELETE_WINDOW");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, protocols, XCB_ATOM_ATOM, 32, 1,
                        &deleteWindow);
    const uint32_t pid = static_cast<uint32_t>(::getpid());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                        internAtom(connection, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
    xcb_map_window(connection, window);
    xcb_flush(connection);
    if (argc > 2) writePidFile(argv[2]);

    while (xcb_generic_event_t *event = xcb_wait_for_event(connection)) {
        const bool closeRequested =
            (event->response_type & 0x7f) == XCB_CLIENT_MESSAGE &&
            reinterpret_cast<xcb_client_message_event_t *>(event)->data.data32[0] == deleteWindow;
        std::free(event);
        if (closeRequested) {
            xcb_disconnect(connection);
            return 0;
        }
    }
    return 5; // the server went away
}
