#include "Workspace/WlrToplevelWindows.h"

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"
#include <wayland-client.h>

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <list>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace quorvel::platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kPatience(500);
constexpr uint32_t kNewestVersion = 3;
// A compositor that announces more windows than any desktop has is lying;
// the rest are dropped rather than grow without bound.
constexpr std::size_t kMostToplevels = 4096;

// Our own socket rather than wl_display_connect(), which would take over a
// WAYLAND_SOCKET handed to this process (and unset it) whatever name it is
// given. Non-blocking, so a compositor with a full backlog cannot stall us.
int connectSocket(const std::string &display) {
    std::string path = display.empty() ? std::string("wayland-0") : display;
    if (path.front() != '/') {
        const char *runtime = std::getenv("XDG_RUNTIME_DIR");
        if (!runtime || *runtime == '\0') return -1;
        path = std::string(runtime) + '/' + path;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return -1;
    std::memcpy(address.sun_path, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

struct WlrToplevelWindows::Connection {
    struct Toplevel {
        Connection *connection = nullptr;
        zwlr_foreign_toplevel_handle_v1 *handle = nullptr;
        // What the compositor has sent since its last "done", which makes
        // a change whole.
        std::string pendingAppId;
        bool pendingActivated = false;
        std::string appId;
    };

    wl_display *display = nullptr;
    wl_registry *registry = nullptr;
    zwlr_foreign_toplevel_manager_v1 *manager = nullptr;
    uint32_t managerName = 0;
    bool broken = false;
    std::list<Toplevel> toplevels; // stable addresses: each is its handle's listener data
    // The last activated toplevel that is not ours.
    const Toplevel *front = nullptr;
    std::unique_ptr<QSocketNotifier> notifier;

    Connection() = default;
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    ~Connection() {
        notifier.reset(); // before its socket closes
        for (Toplevel &toplevel : toplevels)
            zwlr_foreign_toplevel_handle_v1_destroy(toplevel.handle);
        if (manager) zwlr_foreign_toplevel_manager_v1_destroy(manager);
        if (registry) wl_registry_destroy(registry);
        if (display) wl_display_disconnect(display);
    }

    static std::unique_ptr<Connection> open(const std::string &name, Clock::time_point deadline) {
        const int fd = connectSocket(name);
        if (fd < 0) return nullptr;
        auto connection = std::make_unique<Connection>();
        connection->display = wl_display_connect_to_fd(fd); // owns fd, even on failure
        if (!connection->display) return nullptr;
        connection->registry = wl_display_get_registry(connection->display);
        if (!connection->registry) return nullptr;
        wl_registry_add_listener(connection->registry, &kRegistryListener, connection.get());
        // The first answer follows the globals (and our bind of the manager),
        // the second every toplevel the manager announced on binding.
        if (!connection->settle(deadline) || !connection->manager || !connection->settle(deadline))
            return nullptr;
        return connection;
    }

    bool fail() {
        broken = true;
        if (notifier) notifier->setEnabled(false); // a dead socket stays readable
        return false;
    }

    // Handles what the compositor has sent, waiting up to `wait` for more.
    // False once the connection has failed.
    bool pump(milliseconds wait) {
        if (broken) return false;
        while (wl_display_prepare_read(display) != 0) {
            if (wl_display_dispatch_pending(display) < 0) return fail();
        }
        pollfd socket{wl_display_get_fd(display), POLLIN, 0};
        if (wl_display_flush(display) < 0) {
            if (errno != EAGAIN) {
                wl_display_cancel_read(display);
                return fail();
            }
            socket.events |= POLLOUT;
        }
        if (::poll(&socket, 1, static_cast<int>(wait.count())) > 0 && (socket.revents & ~POLLOUT)) {
            if (wl_display_read_events(display) < 0) return fail();
        } else {
            wl_display_cancel_read(display);
        }
        if (wl_display_dispatch_pending(display) < 0) return fail();
        return !broken;
    }

    // Waits until the compositor has answered everything asked so far.
    bool settle(Clock::time_point deadline) {
        if (broken) return false;
        bool answered = false;
        wl_callback *callback = wl_display_sync(display);
        if (!callback) return fail();
        wl_callback_add_listener(callback, &kSyncListener, &answered);
        while (!answered && !broken) {
            const auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                fail(); // a compositor that does not answer is as good as gone
            else
                pump(left);
        }
        if (!answered) wl_callback_destroy(callback);
        return answered && !broken;
    }

    void forget(Toplevel *toplevel) {
        if (front == toplevel) front = nullptr;
        zwlr_foreign_toplevel_handle_v1_destroy(toplevel->handle);
        toplevels.remove_if([toplevel](const Toplevel &each) { return &each == toplevel; });
    }

    static const wl_callback_listener kSyncListener;
    static const wl_registry_listener kRegistryListener;
    static const zwlr_foreign_toplevel_manager_v1_listener kManagerListener;
    static const zwlr_foreign_toplevel_handle_v1_listener kToplevelListener;
};

const wl_callback_listener WlrToplevelWindows::Connection::kSyncListener{
    .done = [](void *data, wl_callback *callback, uint32_t) {
        *static_cast<bool *>(data) = true;
        wl_callback_destroy(callback);
    }};

const wl_registry_listener WlrToplevelWindows::Connection::kRegistryListener{
    .global =
        [](void *data, wl_registry *registry, uint32_t name, const char *interface,
           uint32_t version) {
            auto *self = static_cast<Connection *>(data);
            if (self->manager || version == 0 ||
                std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) != 0)
                return;
            self->manager = static_cast<zwlr_foreign_toplevel_manager_v1 *>(
                wl_registry_bind(registry, name, &zwlr_foreign_toplevel_manager_v1_interface,
                                 std::min(version, kNewestVersion)));
            if (!self->manager) return;
            self->managerName = name;
            zwlr_foreign_toplevel_manager_v1_add_listener(self->manager, &kManagerListener, self);
        },
    .global_remove =
        [](void *data, wl_registry *, uint32_t name) {
            auto *self = static_cast<Connection *>(data);
            if (self->manager && name == self->managerName) self->fail();
        },
};

const zwlr_foreign_toplevel_manager_v1_listener WlrToplevelWindows::Connection::kManagerListener{
    .toplevel =
        [](void *data, zwlr_foreign_toplevel_manager_v1 *,
           zwlr_foreign_toplevel_handle_v1 *handle) {
            auto *self = static_cast<Connection *>(data);
            if (self->toplevels.size() >= kMostToplevels) {
                zwlr_foreign_toplevel_handle_v1_destroy(handle);
                return;
            }
            Toplevel &toplevel = self->toplevels.emplace_back();
            toplevel.connection = self;
            toplevel.handle = handle;
            zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kToplevelListener, &toplevel);
        },
    .finished =
        [](void *data, zwlr_foreign_toplevel_manager_v1 *manager) {
            auto *self = static_cast<Connection *>(data);
            zwlr_foreign_toplevel_manager_v1_destroy(manager);
            self->manager = nullptr;
            self->fail();
        },
};

const zwlr_foreign_toplevel_handle_v1_listener WlrToplevelWindows::Connection::kToplevelListener{
    .title = [](void *, zwlr_foreign_toplevel_handle_v1 *, const char *) {},
    // Strings arrive whole within one message, so libwayland's own
    // message limit bounds them.
    .app_id = [](void *data, zwlr_foreign_toplevel_handle_v1 *,
                 const char *appId) { static_cast<Toplevel *>(data)->pendingAppId = appId; },
    .output_enter = [](void *, zwlr_foreign_toplevel_handle_v1 *, wl_output *) {},
    .output_leave = [](void *, zwlr_foreign_toplevel_handle_v1 *, wl_output *) {},
    .state =
        [](void *data, zwlr_foreign_toplevel_handle_v1 *, wl_array *states) {
            bool activated = false;
            const auto *bytes = static_cast<const char *>(states->data);
            for (std::size_t at = 0; at + sizeof(uint32_t) <= states->size;
                 at += sizeof(uint32_t)) {
                uint32_t state = 0;
                std::memcpy(&state, bytes + at, sizeof state);
                activated |= state == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
            }
            static_cast<Toplevel *>(data)->pendingActivated = activated;
        },
    .done =
        [](void *data, zwlr_foreign_toplevel_handle_v1 *) {
            auto *toplevel = static_cast<Toplevel *>(data);
            toplevel->appId = toplevel->pendingAppId;
            if (toplevel->pendingActivated && !isOwnWindow({std::nullopt, toplevel->appId}))
                toplevel->connection->front = toplevel;
        },
    .closed =
        [](void *data, zwlr_foreign_toplevel_handle_v1 *) {
            auto *toplevel = static_cast<Toplevel *>(data);
            toplevel->connection->forget(toplevel);
        },
    .parent = [](void *, zwlr_foreign_toplevel_handle_v1 *, zwlr_foreign_toplevel_handle_v1 *) {},
};

WlrToplevelWindows::WlrToplevelWindows(std::string waylandDisplay)
    : display_(std::move(waylandDisplay)) {}

WlrToplevelWindows::~WlrToplevelWindows() = default;

WlrToplevelWindows::Connection *
WlrToplevelWindows::connection(std::chrono::steady_clock::time_point deadline) {
    if (connection_ && connection_->broken) connection_.reset();
    if (!connection_) {
        connection_ = Connection::open(display_, deadline);
        if (connection_ && following_) {
            Connection *live = connection_.get();
            live->notifier = std::make_unique<QSocketNotifier>(wl_display_get_fd(live->display),
                                                               QSocketNotifier::Read);
            QObject::connect(live->notifier.get(), &QSocketNotifier::activated,
                             live->notifier.get(), [live] { live->pump(milliseconds(0)); });
        }
    }
    return connection_.get();
}

void WlrToplevelWindows::followActivation() {
    if (following_) return;
    following_ = true;
    connection_.reset(); // the next connection comes with a notifier
    connection(Clock::now() + kPatience);
}

bool WlrToplevelWindows::isAvailable() {
    const auto deadline = Clock::now() + kPatience;
    Connection *live = connection(deadline);
    return live && live->settle(deadline);
}

std::optional<WindowOwner> WlrToplevelWindows::frontWindow() {
    Connection *live = connection(Clock::now() + kPatience);
    if (!live || !live->pump(milliseconds(0)) || !live->front) return std::nullopt;
    const std::string &appId = live->front->appId;
    return WindowOwner{std::nullopt, appId.empty() ? std::nullopt : std::optional(appId)};
}

std::size_t WlrToplevelWindows::countWindows(const InstanceWindows &instance) {
    const auto deadline = Clock::now() + kPatience;
    Connection *live = connection(deadline);
    if (!live || !live->settle(deadline)) return 0;
    return static_cast<std::size_t>(
        std::count_if(live->toplevels.begin(), live->toplevels.end(), [&](const auto &toplevel) {
            return namesApplication(toplevel.appId, instance.applicationID);
        }));
}

std::size_t WlrToplevelWindows::closeWindows(const InstanceWindows &instance) {
    const auto deadline = Clock::now() + kPatience;
    Connection *live = connection(deadline);
    if (!live || !live->settle(deadline)) return 0;
    std::size_t asked = 0;
    for (const auto &toplevel : live->toplevels) {
        if (!namesApplication(toplevel.appId, instance.applicationID)) continue;
        zwlr_foreign_toplevel_handle_v1_close(toplevel.handle);
        ++asked;
    }
    if (asked > 0 && wl_display_flush(live->display) < 0 && errno != EAGAIN) live->fail();
    return asked;
}

} // namespace quorvel::platform
