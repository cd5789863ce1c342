#include "Workspace/X11Desktop.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcbext.h> // xcb_poll_for_reply: waiting with a deadline

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace quorvel::platform {
namespace {

using Clock = std::chrono::steady_clock;

struct FreeDeleter {
    void operator()(void *memory) const { std::free(memory); }
};
using PropertyReply = std::unique_ptr<xcb_get_property_reply_t, FreeDeleter>;

} // namespace

struct X11Desktop::Connection {
    xcb_connection_t *xcb = nullptr;
    xcb_ewmh_connection_t ewmh{};
    bool ewmhAllocated = false;
    int screen = 0;
    bool broken = false;
    int32_t ownPid = 0;
    // The last active window that was not one of ownPid's.
    xcb_window_t front = XCB_NONE;
    bool activeChanged = false;
    // Set while activation is followed: wakes on events from the server.
    std::unique_ptr<QSocketNotifier> notifier;
    std::chrono::milliseconds timeout{};

    Connection() = default;
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    ~Connection() {
        notifier.reset(); // before its socket closes
        if (ewmhAllocated) xcb_ewmh_connection_wipe(&ewmh);
        if (xcb) xcb_disconnect(xcb);
    }

    static std::unique_ptr<Connection> open(const std::string &display,
                                            std::chrono::milliseconds timeout);

    // The reply to request `sequence`, or nothing when the server answered
    // with an error. A server that fails or does not answer by `deadline`
    // marks the connection broken; every later wait on it returns nothing.
    void *awaitReply(unsigned int sequence, Clock::time_point deadline) {
        if (broken) return nullptr;
        xcb_flush(xcb);
        for (;;) {
            void *reply = nullptr;
            xcb_generic_error_t *error = nullptr;
            if (xcb_poll_for_reply(xcb, sequence, &reply, &error)) {
                std::free(error);
                // Events read along with the reply no longer wake the
                // notifier, as they have left the socket.
                if (activeChanged && notifier) {
                    QTimer::singleShot(0, notifier.get(), [this] { takeEvents(); });
                }
                return reply;
            }
            while (xcb_generic_event_t *event = xcb_poll_for_queued_event(xcb)) take(event);
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (xcb_connection_has_error(xcb) || left.count() <= 0) {
                broken = true;
                return nullptr;
            }
            pollfd readable{xcb_get_file_descriptor(xcb), POLLIN, 0};
            ::poll(&readable, 1, static_cast<int>(std::min<long long>(left.count(), INT_MAX)));
        }
    }

    PropertyReply awaitProperty(xcb_get_property_cookie_t cookie, Clock::time_point deadline) {
        return PropertyReply(
            static_cast<xcb_get_property_reply_t *>(awaitReply(cookie.sequence, deadline)));
    }

    // The process the window names as its own (_NET_WM_PID), if any.
    std::optional<int32_t> windowPid(xcb_window_t window, Clock::time_point deadline) {
        const PropertyReply owner = awaitProperty(xcb_ewmh_get_wm_pid(&ewmh, window), deadline);
        uint32_t pid = 0;
        if (!owner || !xcb_ewmh_get_wm_pid_from_reply(&pid, owner.get()) || pid == 0 ||
            pid > INT32_MAX) {
            return std::nullopt;
        }
        return static_cast<int32_t>(pid);
    }

    // Only a change of the active window matters; every other event goes.
    void take(xcb_generic_event_t *event) {
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
            reinterpret_cast<xcb_property_notify_event_t *>(event)->atom ==
                ewmh._NET_ACTIVE_WINDOW) {
            activeChanged = true;
        }
        std::free(event);
    }

    // Reads the active window and keeps it as the one in front unless it is
    // one of ours. Focus on no window at all, as between two windows, leaves
    // the one in front as it was.
    void noteActiveWindow(Clock::time_point deadline) {
        activeChanged = false;
        const PropertyReply active =
            awaitProperty(xcb_ewmh_get_active_window(&ewmh, screen), deadline);
        xcb_window_t window = XCB_NONE;
        if (!active || !xcb_ewmh_get_active_window_from_reply(&window, active.get()) ||
            window == XCB_NONE) {
            return;
        }
        if (windowPid(window, deadline) != ownPid) front = window;
    }

    void takeEvents() {
        for (;;) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(xcb)) take(event);
            if (!activeChanged || broken || xcb_connection_has_error(xcb)) break;
            noteActiveWindow(Clock::now() + timeout);
        }
        // A dead socket stays readable; the next call reconnects.
        if (broken || xcb_connection_has_error(xcb)) notifier->setEnabled(false);
    }

    void follow() {
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(xcb, ewmh.screens[screen]->root, XCB_CW_EVENT_MASK, &mask);
        notifier =
            std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(xcb), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { takeEvents(); });
        noteActiveWindow(Clock::now() + timeout);
    }
};

std::unique_ptr<X11Desktop::Connection>
X11Desktop::Connection::open(const std::string &display, std::chrono::milliseconds timeout) {
    const char *name = display.empty() ? std::getenv("DISPLAY") : display.c_str();
    if (!name || !*name) return nullptr;
    auto connection = std::make_unique<Connection>();
    connection->xcb = xcb_connect(name, &connection->screen);
    if (xcb_connection_has_error(connection->xcb)) return nullptr;

    xcb_intern_atom_cookie_t *atomCookies = xcb_ewmh_init_atoms(connection->xcb, &connection->ewmh);
    connection->ewmhAllocated = true;
    // Replies come in request order: once this one is in, so are the atoms,
    // and collecting them below cannot block.
    const xcb_get_input_focus_cookie_t marker = xcb_get_input_focus(connection->xcb);
    void *markerReply = connection->awaitReply(marker.sequence, Clock::now() + timeout);
    if (!markerReply) {
        std::free(atomCookies);
        return nullptr;
    }
    std::free(markerReply);
    if (!xcb_ewmh_init_atoms_replies(&connection->ewmh, atomCookies, nullptr)) {
        connection->ewmhAllocated = false; // a failed collection releases the atoms itself
        return nullptr;
    }
    if (connection->screen < 0 || connection->screen >= connection->ewmh.nb_screens) return nullptr;
    return connection;
}

X11Desktop::X11Desktop(std::string display, std::chrono::milliseconds replyTimeout)
    : display_(std::move(display))
    , replyTimeout_(replyTimeout)
    , ownPid_(static_cast<int32_t>(::getpid())) {}

X11Desktop::~X11Desktop() = default;

X11Desktop::Connection *X11Desktop::connection() {
    if (connection_ && (connection_->broken || xcb_connection_has_error(connection_->xcb))) {
        connection_.reset();
    }
    if (!connection_) {
        connection_ = Connection::open(display_, replyTimeout_);
        if (connection_) {
            connection_->ownPid = ownPid_;
            connection_->timeout = replyTimeout_;
            if (following_) connection_->follow();
        }
    }
    return connection_.get();
}

void X11Desktop::followActivation() {
    if (following_) return;
    following_ = true;
    if (connection_)
        connection_->follow();
    else
        connection();
}

bool X11Desktop::isAvailable() {
    return connection() != nullptr;
}

std::optional<WindowOwner> X11Desktop::frontWindow() {
    Connection *c = connection();
    if (!c) return std::nullopt;
    const auto deadline = Clock::now() + replyTimeout_;
    c->noteActiveWindow(deadline);
    // A window closed since answers with an error.
    if (c->front == XCB_NONE) return std::nullopt;
    const std::optional<int32_t> pid = c->windowPid(c->front, deadline);
    if (!pid) return std::nullopt;
    return WindowOwner{pid, std::nullopt};
}

std::size_t X11Desktop::countWindows(const InstanceWindows &instance) {
    return windowsOfPids(instance.pids).size();
}

std::size_t X11Desktop::closeWindows(const InstanceWindows &instance) {
    std::size_t asked = 0;
    for (uint32_t window : windowsOfPids(instance.pids)) asked += closeWindow(window) ? 1 : 0;
    return asked;
}

std::vector<uint32_t> X11Desktop::windowsOfPids(const std::vector<int32_t> &pids) {
    if (pids.empty()) return {};
    Connection *c = connection();
    if (!c) return {};
    const auto deadline = Clock::now() + replyTimeout_;
    const PropertyReply list =
        c->awaitProperty(xcb_ewmh_get_client_list(&c->ewmh, c->screen), deadline);
    xcb_ewmh_get_windows_reply_t clients{};
    // The parsed list only points into `list`, which keeps ownership.
    if (!list || !xcb_ewmh_get_client_list_from_reply(&clients, list.get())) return {};
    const std::vector<xcb_window_t> windows(clients.windows, clients.windows + clients.windows_len);

    std::vector<xcb_get_property_cookie_t> owners;
    owners.reserve(windows.size());
    for (xcb_window_t window : windows) owners.push_back(xcb_ewmh_get_wm_pid(&c->ewmh, window));

    std::vector<uint32_t> matching;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        // A window closed since the list was read answers with an error.
        const PropertyReply owner = c->awaitProperty(owners[i], deadline);
        uint32_t pid = 0;
        if (!owner || !xcb_ewmh_get_wm_pid_from_reply(&pid, owner.get())) continue;
        if (pid == 0 || pid > INT32_MAX) continue;
        if (std::find(pids.begin(), pids.end(), static_cast<int32_t>(pid)) != pids.end()) {
            matching.push_back(windows[i]);
        }
    }
    return matching;
}

std::optional<int32_t> X11Desktop::systemTrayOwnerPid() {
    Connection *c = connection();
    if (!c) return std::nullopt;
    const auto deadline = Clock::now() + replyTimeout_;
    const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(c->screen);
    const xcb_intern_atom_cookie_t atomCookie =
        xcb_intern_atom(c->xcb, 1, static_cast<uint16_t>(selection.size()), selection.data());
    const std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> atom(
        static_cast<xcb_intern_atom_reply_t *>(c->awaitReply(atomCookie.sequence, deadline)));
    // An atom nobody has made yet: no tray was ever there.
    if (!atom || atom->atom == XCB_ATOM_NONE) return std::nullopt;
    const xcb_get_selection_owner_cookie_t ownerCookie =
        xcb_get_selection_owner(c->xcb, atom->atom);
    const std::unique_ptr<xcb_get_selection_owner_reply_t, FreeDeleter> owner(
        static_cast<xcb_get_selection_owner_reply_t *>(
            c->awaitReply(ownerCookie.sequence, deadline)));
    if (!owner || owner->owner == XCB_NONE) return std::nullopt;
    return c->windowPid(owner->owner, deadline);
}

bool X11Desktop::closeWindow(uint32_t window) {
    Connection *c = connection();
    if (!c) return false;
    xcb_ewmh_request_close_window(&c->ewmh, c->screen, window, XCB_CURRENT_TIME,
                                  XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    return xcb_flush(c->xcb) > 0;
}

} // namespace quorvel::platform
