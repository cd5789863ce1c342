#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <csignal>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>

#include "Support/PanelFixtures.h"
#include "Util/L10n.h"
#include "Workspace/X11Session.h"

namespace quorvel::test {

// One named widget of the running program, as its widget map lists it.
struct MappedWidget {
    QRect frame;
    QString text;
};

// The file's inode, which changes whenever a new copy is renamed over it.
inline ino_t inodeOf(const QString &file) {
    struct stat info {};
    return ::stat(QFile::encodeName(file).constData(), &info) == 0 ? info.st_ino : 0;
}

// Whether every program a desktop test needs is installed.
inline bool desktopToolsInstalled() {
    for (const char *program : {"Xvfb", "openbox", "trayer", "xdotool"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty()) return false;
    }
    return true;
}

// A real desktop for the real program: Xvfb with openbox and an XEmbed tray
// (trayer), and a home of its own with config, data and runtime folders. The
// program lists its named widgets in a map file, which the clicks go by.
// With `launchKey` (as openbox names keys: "W-q" is Super+Q), pressing it
// starts quorvel once more, as a desktop's shortcut for it would.
class TrayDesktop {
public:
    explicit TrayDesktop(const QString &launchKey = {})
        : x11_("1024x768x24", launchKey.isEmpty() ? QString() : openboxConfig(launchKey)) {
        if (!x11_.ready()) return;
        for (const char *sub : {"config", "share/applications", "runtime", "bin", "data-dirs"})
            QDir().mkpath(home(sub));
        QFile::setPermissions(home("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("DISPLAY"), QString::fromStdString(x11_.display()));
        environment_.insert(QStringLiteral("HOME"), directory_.path());
        environment_.insert(QStringLiteral("XDG_CONFIG_HOME"), home("config"));
        environment_.insert(QStringLiteral("XDG_DATA_HOME"), home("share"));
        environment_.insert(QStringLiteral("XDG_DATA_DIRS"), home("data-dirs"));
        environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), home("runtime"));
        // A session bus that is not there: the tray is the XEmbed one and
        // notifications are skipped. Without any address the bus library
        // would start one of its own for the display, which can stall.
        environment_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                            QStringLiteral("unix:path=") + home("no-session-bus"));
        environment_.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment_.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment_.insert(QStringLiteral("QUORVEL_LOCALE"),
                            QString::fromStdString(L10n::shared().locale()));
        environment_.insert(QStringLiteral("QUORVEL_WIDGET_MAP"), mapFile());
        start(trayer_, QStringLiteral("trayer"),
              QStringLiteral("--edge top --align right --widthtype pixel --width 48 "
                             "--heighttype pixel --height 28 --SetDockType true")
                  .split(QLatin1Char(' ')));
        ready_ = trayer_.state() == QProcess::Running;
    }

    ~TrayDesktop() {
        stop(quorvel_);
        stop(trayer_);
    }

    bool ready() const { return ready_; }
    QString home(const char *sub) const {
        return directory_.path() + QLatin1Char('/') + QLatin1String(sub);
    }
    QProcessEnvironment &environment() { return environment_; }

    // Starts the real quorvel; true while it runs.
    bool startQuorvel(const QStringList &arguments = {}) {
        writeLauncher();
        start(quorvel_, QStringLiteral(QUORVEL_BINARY), arguments, home("quorvel.err"));
        return quorvel_.state() == QProcess::Running;
    }

    // What the program said on standard error and how it stands, for failure messages.
    std::string quorvelReport() const {
        QFile errors(home("quorvel.err"));
        const QByteArray said = errors.open(QIODevice::ReadOnly) ? errors.readAll() : QByteArray();
        return (quorvel_.state() == QProcess::Running ? "running; " : "not running; ") +
               said.right(4000).toStdString() + "\nwidgets:\n" + mapText().toStdString();
    }
    QProcess &quorvel() { return quorvel_; }

    void start(QProcess &process, const QString &program, const QStringList &arguments,
               const QString &errors = QProcess::nullDevice()) {
        process.setProcessEnvironment(environment_);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(errors);
        process.start(program, arguments);
        process.waitForStarted(10000);
    }

    static void stop(QProcess &process) {
        if (process.state() == QProcess::NotRunning) return;
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        if (!process.waitForFinished(10000)) process.kill();
        process.waitForFinished(5000);
    }

    QString mapText() const {
        QFile map(mapFile());
        return map.open(QIODevice::ReadOnly) ? QString::fromUtf8(map.readAll()) : QString();
    }

    // The named widgets on screen now, as the map last listed them.
    std::map<QString, MappedWidget> widgets() const {
        std::map<QString, MappedWidget> found;
        for (const QString &line : mapText().split(QLatin1Char('\n'))) {
            const QStringList fields = line.split(QLatin1Char('\t'));
            if (fields.size() < 6) continue;
            found[fields[0]] = {
                QRect(fields[1].toInt(), fields[2].toInt(), fields[3].toInt(), fields[4].toInt()),
                fields[5]};
        }
        return found;
    }

    // The widgets after the map's next rewrite, so that it shows the effect
    // of everything done before now.
    std::map<QString, MappedWidget> freshWidgets() const {
        const ino_t before = mapInode();
        test::waitFor([&] { return mapInode() != before; }, 2000);
        return widgets();
    }

    std::optional<MappedWidget>
    waitForWidget(const QString &name,
                  const std::function<bool(const MappedWidget &)> &matches = {},
                  int deadlineMs = 10000) const {
        std::optional<MappedWidget> seen;
        test::waitFor(
            [&] {
                const auto all = freshWidgets();
                const auto found = all.find(name);
                if (found == all.end() || (matches && !matches(found->second))) return false;
                seen = found->second;
                return true;
            },
            deadlineMs);
        return seen;
    }

    // The named widget once two rewrites of the map agree on its place: a
    // window the window manager is still moving would take the click amiss.
    std::optional<MappedWidget> waitForSettled(const QString &name) const {
        std::optional<MappedWidget> settled;
        std::optional<QRect> last;
        test::waitFor([&] {
            const std::optional<MappedWidget> now = waitForWidget(name);
            if (!now) return true;
            if (last == now->frame) settled = now;
            last = now->frame;
            return settled.has_value();
        });
        return settled;
    }

    bool shows(const QString &name) const { return freshWidgets().count(name) > 0; }

    // Clicks the named widget until `done` holds: a click on a control that
    // is still settling can go astray, so one that shows no effect in a few
    // seconds is tried again.
    bool press(const QString &name, const std::function<bool()> &done, int attempts = 3) {
        for (int attempt = 0; attempt < attempts; ++attempt) {
            const std::optional<MappedWidget> widget = waitForSettled(name);
            if (!widget) return false;
            clickAt(widget->frame.center());
            if (test::waitFor(done, 4000)) return true;
        }
        return false;
    }

    // Clicks the named widget until `next` is on screen.
    bool press(const QString &name, const QString &next) {
        return press(name, [&] { return shows(next); });
    }

    // Turns the wheel over the scrolling list, down and then up, until the
    // named widget is in sight.
    bool scrollTo(const QString &name) {
        constexpr int kTurnsEachWay = 12;
        for (int turn = 0; turn < 3 * kTurnsEachWay; ++turn) {
            const auto all = freshWidgets();
            if (all.count(name)) return true;
            const auto list = all.find(QStringLiteral("qt_scrollarea_viewport"));
            if (list == all.end()) return false;
            clickAt(list->second.frame.center(), turn < kTurnsEachWay ? 5 : 4);
        }
        return false;
    }

    bool clickAt(QPoint point, int button = 1) {
        return xdotool({QStringLiteral("mousemove"), QString::number(point.x()),
                        QString::number(point.y()), QStringLiteral("click"),
                        QString::number(button)});
    }

    // Clicks the tray icon until `shown` is on screen; an open panel may have
    // closed when it lost the focus.
    bool openPanel(const QString &shown) {
        return test::waitFor(
            [&] {
                const auto all = freshWidgets();
                if (all.count(shown)) return true;
                if (const auto icon = all.find(QStringLiteral("QSystemTrayIconSys"));
                    icon != all.end())
                    clickAt(icon->second.frame.center());
                return test::waitFor([&] { return shows(shown); }, 3000);
            },
            30000);
    }

    bool xdotool(const QStringList &arguments) {
        QProcess tool;
        tool.setProcessEnvironment(environment_);
        tool.start(QStringLiteral("xdotool"), arguments);
        return tool.waitForFinished(10000) && tool.exitCode() == 0;
    }

    // A picture of the whole screen, under the test build's shots folder.
    void shoot(const QString &name) {
        QDir().mkpath(QStringLiteral(QUORVEL_SHOTS_DIR));
        QProcess grab;
        grab.setProcessEnvironment(environment_);
        grab.start(QStringLiteral(QUORVEL_HELPER_DIR "/ScreenGrab"),
                   {QStringLiteral(QUORVEL_SHOTS_DIR "/desktop-") + name + QStringLiteral(".png")});
        EXPECT_TRUE(grab.waitForFinished(20000));
        EXPECT_EQ(grab.exitCode(), 0) << name.toStdString();
    }

private:
    QString launcher() const { return home("launch-quorvel"); }

    // Openbox's own settings with one more key binding, which runs the launcher.
    QString openboxConfig(const QString &launchKey) const {
        QFile defaults(QStringLiteral("/etc/xdg/openbox/rc.xml"));
        if (!defaults.open(QIODevice::ReadOnly)) return {};
        QString config = QString::fromUtf8(defaults.readAll());
        config.replace(QStringLiteral("<keyboard>"),
                       QStringLiteral("<keyboard><keybind key=\"%1\"><action name=\"Execute\">"
                                      "<command>%2</command></action></keybind>")
                           .arg(launchKey, launcher()));
        const QString file = home("openbox.xml");
        QFile written(file);
        if (!written.open(QIODevice::WriteOnly)) return {};
        written.write(config.toUtf8());
        return file;
    }

    // A script that starts quorvel in the program's environment as it is now.
    void writeLauncher() {
        QFile script(launcher());
        if (!script.open(QIODevice::WriteOnly)) return;
        QByteArray text = "#!/bin/sh\n";
        static const QRegularExpression name(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
        for (const QString &key : environment_.keys()) {
            if (!name.match(key).hasMatch()) continue;
            QString value = environment_.value(key);
            value.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
            text += "export " + key.toUtf8() + "='" + value.toUtf8() + "'\n";
        }
        text += "exec '" QUORVEL_BINARY "'\n";
        script.write(text);
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString mapFile() const { return directory_.filePath(QStringLiteral("widgets.txt")); }
    ino_t mapInode() const { return inodeOf(mapFile()); }

    // Before the X session: the window manager's settings are written into it.
    QTemporaryDir directory_;
    X11Session x11_;
    QProcessEnvironment environment_;
    QProcess trayer_;
    QProcess quorvel_;
    bool ready_ = false;
};

} // namespace quorvel::test
