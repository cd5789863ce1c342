#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>
#include <unistd.h>

#include <optional>

namespace quorvel::testing {

// A sway of the test's own on the headless backend, for as long as the
// object lives. sway refuses to run as root, so it runs as nobody in its own
// process group, with a runtime folder of nobody's; root clients reach its
// sockets anyway (root passes file permissions).
class HeadlessSway {
public:
    static constexpr uid_t kNobody = 65534;

    explicit HeadlessSway(const QByteArray &extraConfig = {}) {
        if (!dir_.isValid() || !QDir(dir_.path()).mkdir("sway") ||
            !QDir(dir_.path()).mkdir("client"))
            return;
        // Nobody must reach its own folder and read its config through ours.
        QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::ExeGroup | QFile::ExeOther);
        const QString runtime = dir_.filePath("sway");
        if (::chown(QFile::encodeName(runtime).constData(), kNobody, kNobody) != 0) return;
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(dir_.filePath("client"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile config(dir_.filePath("sway.conf"));
        if (!config.open(QIODevice::WriteOnly)) return;
        config.write("output * resolution 800x600\nxwayland disable\n" + extraConfig + "\n");
        config.close();
        config.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);

        QProcessEnvironment environment;
        environment.insert("PATH", "/usr/local/bin:/usr/bin:/bin");
        environment.insert("HOME", runtime);
        environment.insert("XDG_RUNTIME_DIR", runtime);
        environment.insert("WLR_BACKENDS", "headless");
        environment.insert("WLR_LIBINPUT_NO_DEVICES", "1");
        environment.insert("WLR_RENDERER", "pixman");
        sway_.setProcessEnvironment(environment);
        sway_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sway_.setStandardOutputFile(QProcess::nullDevice());
        sway_.setChildProcessModifier([] { ::setsid(); }); // one group to stop
        sway_.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "sway", "-c",
                                config.fileName()});
        if (!sway_.waitForStarted(10000)) return;
        group_ = static_cast<pid_t>(sway_.processId());
        // Ready once both sockets are there and the IPC one accepts clients.
        started_ = QTest::qWaitFor(
            [&] {
                const QDir folder(runtime);
                const auto ipc = folder.entryList({"sway-ipc.*.sock"}, QDir::System);
                const auto wayland = folder.entryList({"wayland-?"}, QDir::System);
                if (ipc.isEmpty() || wayland.isEmpty() || sway_.state() != QProcess::Running)
                    return false;
                swaySocket_ = folder.filePath(ipc.first());
                waylandDisplay_ = folder.filePath(wayland.first());
                return run({}, "get_version").has_value();
            },
            20000);
    }

    HeadlessSway(const HeadlessSway &) = delete;
    HeadlessSway &operator=(const HeadlessSway &) = delete;
    ~HeadlessSway() { stop(); }

    bool started() const { return started_; }
    // An absolute path, so WAYLAND_DISPLAY works whatever the client's
    // runtime folder.
    const QString &waylandDisplay() const { return waylandDisplay_; }
    const QString &swaySocket() const { return swaySocket_; }

    // For a Wayland client run by the test (as root): its own runtime folder.
    QProcessEnvironment clientEnvironment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "wayland");
        environment.insert("WAYLAND_DISPLAY", waylandDisplay_);
        environment.insert("XDG_RUNTIME_DIR", dir_.filePath("client"));
        environment.remove("DISPLAY");
        return environment;
    }

    // Runs a sway command (through swaymsg); its output, or nothing when
    // sway did not carry it out.
    std::optional<QByteArray> run(const QString &command, const QString &type = "command") const {
        QProcess message;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("SWAYSOCK", swaySocket_);
        message.setProcessEnvironment(environment);
        message.start("swaymsg", {"-t", type, command});
        if (!message.waitForFinished(10000)) {
            message.kill();
            message.waitForFinished(5000);
            return std::nullopt;
        }
        if (message.exitStatus() != QProcess::NormalExit || message.exitCode() != 0)
            return std::nullopt;
        return message.readAllStandardOutput();
    }

    // Kills sway and all it started, as a crash would.
    void stop() {
        if (group_ > 0) ::kill(-group_, SIGKILL);
        group_ = 0;
        if (sway_.state() != QProcess::NotRunning) sway_.waitForFinished(10000);
    }

private:
    QTemporaryDir dir_;
    QProcess sway_;
    pid_t group_ = 0;
    bool started_ = false;
    QString swaySocket_;
    QString waylandDisplay_;
};

} // namespace quorvel::testing
