#pragma once

#include <QProcess>
#include <QProcessEnvironment>

#include <cstdint>
#include <string>

#include "Workspace/SessionWindows.h"

namespace quorvel::testing {

// Tests/Helpers/WaylandWindowChild showing one native Wayland window of
// `appId` on the compositor `environment` names, ended with the test
// whatever happens.
class WaylandWindow {
public:
    WaylandWindow(QProcessEnvironment environment, const std::string &appId)
        : appId_(appId) {
        environment.insert("QT_QPA_PLATFORM", "wayland");
        // Qt's Wayland plugin leaves objects behind at exit, which
        // LeakSanitizer would turn into exit status 1 after a polite close.
        environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=0");
        process_.setProcessEnvironment(environment);
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(QUORVEL_HELPER_DIR "/WaylandWindowChild", {QString::fromStdString(appId)});
        process_.waitForStarted(10000);
    }
    WaylandWindow(const WaylandWindow &) = delete;
    WaylandWindow &operator=(const WaylandWindow &) = delete;
    ~WaylandWindow() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.kill();
        process_.waitForFinished(10000);
    }

    int32_t pid() const { return static_cast<int32_t>(process_.processId()); }
    platform::WindowOwner owner() const { return {pid(), appId_}; }
    platform::InstanceWindows instance() const { return {{pid()}, appId_}; }
    bool running() const { return process_.state() == QProcess::Running; }
    // Ended with status 0 on its own, as it does when its window is closed.
    bool exitedByItself() const {
        return process_.state() == QProcess::NotRunning &&
               process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    }

private:
    QProcess process_;
    std::string appId_;
};

} // namespace quorvel::testing
