#include "Windows/TaskbarHint.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <algorithm>
#include <vector>

namespace quorvel::platform {

void keepOffTaskbar(QWindow *window) {
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!window || !x11 || !x11->connection()) return;
    xcb_connection_t *connection = x11->connection();
    xcb_ewmh_connection_t ewmh;
    if (!xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(connection, &ewmh), nullptr)) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window->winId());
    // Keep whatever states are set already; Qt adds its own on show.
    std::vector<xcb_atom_t> states;
    xcb_ewmh_get_atoms_reply_t current;
    if (xcb_ewmh_get_wm_state_reply(&ewmh, xcb_ewmh_get_wm_state(&ewmh, id), &current, nullptr)) {
        states.assign(current.atoms, current.atoms + current.atoms_len);
        xcb_ewmh_get_atoms_reply_wipe(&current);
    }
    for (xcb_atom_t wanted : {ewmh._NET_WM_STATE_SKIP_TASKBAR, ewmh._NET_WM_STATE_SKIP_PAGER}) {
        if (std::find(states.begin(), states.end(), wanted) == states.end())
            states.push_back(wanted);
    }
    xcb_ewmh_set_wm_state(&ewmh, id, static_cast<uint32_t>(states.size()), states.data());
    xcb_flush(connection);
    xcb_ewmh_connection_wipe(&ewmh);
}

} // namespace quorvel::platform
