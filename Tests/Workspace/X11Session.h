#pragma once

#include <QProcess>
#include <QTest>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

// A private X server (Xvfb) with a real window manager (openbox) on it, for
// as long as the object lives. The server picks a free display number itself.
// Openbox takes `openboxConfig` for its settings where one is named.
class X11Session {
public:
    explicit X11Session(const char *screenSize = "640x480x24", const QString &openboxConfig = {}) {
        xvfb_.setStandardErrorFile(QProcess::nullDevice());
        xvfb_.start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                     QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                     QString::fromLatin1(screenSize)});
        if (!xvfb_.waitForStarted(10000)) return;
        // The server writes its display number once it accepts clients.
        QByteArray display = ":";
        while (!display.endsWith('\n') && xvfb_.waitForReadyRead(20000)) display += xvfb_.readAll();
        if (!display.endsWith('\n')) return;
        // Built as bytes: prepending to a std::string trips GCC 12's -Wrestrict
        // at -O3 (a false alarm in its inlined memcpy).
        display_ = display.trimmed().toStdString();

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), QString::fromStdString(display_));
        openbox_.setProcessEnvironment(environment);
        openbox_.setStandardOutputFile(QProcess::nullDevice());
        openbox_.setStandardErrorFile(QProcess::nullDevice());
        QStringList arguments{QStringLiteral("--sm-disable")};
        if (!openboxConfig.isEmpty()) arguments << QStringLiteral("--config-file") << openboxConfig;
        openbox_.start(QStringLiteral("openbox"), arguments);
        if (!openbox_.waitForStarted(10000)) return;

        connection_ = xcb_connect(display_.c_str(), &screen_);
        ewmhReady_ =
            !xcb_connection_has_error(connection_) &&
            xcb_ewmh_init_atoms_replies(&ewmh_, xcb_ewmh_init_atoms(connection_, &ewmh_), nullptr);
        ready_ = ewmhReady_ && windowManagerManagesWindows();
    }

    ~X11Session() {
        if (ewmhReady_) xcb_ewmh_connection_wipe(&ewmh_);
        if (connection_) xcb_disconnect(connection_);
        stop(openbox_);
        stop(xvfb_);
        if (heldDisplay_ >= 0) ::close(heldDisplay_);
    }

    X11Session(const X11Session &) = delete;
    X11Session &operator=(const X11Session &) = delete;

    bool ready() const { return ready_; }
    const std::string &display() const { return display_; }

    // Asks the window manager to activate `window`, as a pager would.
    void activate(uint32_t window) {
        xcb_ewmh_request_change_active_window(
            &ewmh_, screen_, window, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, XCB_CURRENT_TIME, XCB_NONE);
        xcb_flush(connection_);
    }

    // Ends the X server now, as a crash of the session would. Its display
    // number stays taken until the session ends: tests run side by side, and
    // another test's new server would otherwise take the number and answer in
    // its place. A socket bound to the server's abstract address, and not
    // listening, keeps new servers off it and refuses clients at once.
    void stopServer() {
        stop(xvfb_);
        heldDisplay_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const std::string name = "/tmp/.X11-unix/X" + display_.substr(1);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, name.data(), name.size()); // sun_path[0] = 0: abstract
        ::bind(heldDisplay_, reinterpret_cast<const sockaddr *>(&address),
               static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size()));
    }

private:
    // The window manager announces itself before it takes windows over, and
    // a window mapped in between stays unmanaged; so wait until it manages
    // a window of our own.
    bool windowManagerManagesWindows() {
        xcb_screen_t *screen = ewmh_.screens[screen_];
        for (int attempt = 0; attempt < 20; ++attempt) {
            const xcb_window_t probe = xcb_generate_id(connection_);
            xcb_create_window(connection_, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 10, 10,
                              0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
            xcb_map_window(connection_, probe);
            xcb_flush(connection_);
            const bool managed = QTest::qWaitFor([&] { return isListed(probe); }, 1000);
            xcb_destroy_window(connection_, probe);
            xcb_flush(connection_);
            if (managed) return true;
        }
        return false;
    }

    bool isListed(xcb_window_t window) {
        xcb_ewmh_get_windows_reply_t clients{};
        if (!xcb_ewmh_get_client_list_reply(&ewmh_, xcb_ewmh_get_client_list(&ewmh_, screen_),
                                            &clients, nullptr)) {
            return false;
        }
        const bool listed =
            std::count(clients.windows, clients.windows + clients.windows_len, window) > 0;
        xcb_ewmh_get_windows_reply_wipe(&clients);
        return listed;
    }

    static void stop(QProcess &process) {
        if (process.state() == QProcess::NotRunning) return;
        process.terminate();
        if (!process.waitForFinished(10000)) process.kill();
        process.waitForFinished(10000);
    }

    QProcess xvfb_, openbox_;
    std::string display_;
    int heldDisplay_ = -1;
    xcb_connection_t *connection_ = nullptr;
    xcb_ewmh_connection_t ewmh_{};
    int screen_ = 0;
    bool ewmhReady_ = false, ready_ = false;
};
