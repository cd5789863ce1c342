#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>
#include <map>
#include <optional>

#include "Support/PanelFixtures.h"
#include "Util/L10n.h"
#include "Workspace/X11Session.h"

namespace quorvel {
namespace {

constexpr char kHelperName[] = "Quorvel Test Helper";

// One named widget of the running panel, as its widget map lists it.
struct MappedWidget {
    QRect frame;
    QString text;
};

// The real desktop: Xvfb with openbox and trayer, the real quorvel in it
// with a private home, and a helper application of its own desktop entry.
class Desktop {
public:
    Desktop()
        : x11_("1024x768x24") {
        if (!x11_.ready()) return;
        const QString home = directory_.path();
        for (const char *sub : {"config", "share/applications", "runtime", "bin", "data-dirs"})
            QDir().mkpath(home + QLatin1Char('/') + QLatin1String(sub));
        QFile::setPermissions(home + QStringLiteral("/runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        helperPath_ = home + QStringLiteral("/bin/quorvel-test-helper");
        QFile::copy(QStringLiteral(QUORVEL_HELPER_DIR "/DesktopAppHelper"), helperPath_);
        QFile entry(home + QStringLiteral("/share/applications/org.example.QuorvelHelper.desktop"));
        entry.open(QIODevice::WriteOnly);
        entry.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\n")
                        .arg(QLatin1String(kHelperName), helperPath_)
                        .toUtf8());
        entry.close();

        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("DISPLAY"), QString::fromStdString(x11_.display()));
        environment_.insert(QStringLiteral("HOME"), home);
        environment_.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        environment_.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/share"));
        environment_.insert(QStringLiteral("XDG_DATA_DIRS"), home + QStringLiteral("/data-dirs"));
        environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
        // No session bus: the tray is the XEmbed one, notifications are skipped.
        environment_.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        environment_.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment_.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment_.insert(QStringLiteral("QUORVEL_LOCALE"),
                            QString::fromStdString(L10n::shared().locale()));
        environment_.insert(QStringLiteral("QUORVEL_WIDGET_MAP"), mapFile());

        start(trayer_, QStringLiteral("trayer"),
              {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
               QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
               QStringLiteral("--width"), QStringLiteral("48"), QStringLiteral("--heighttype"),
               QStringLiteral("pixel"), QStringLiteral("--height"), QStringLiteral("28"),
               QStringLiteral("--SetDockType"), QStringLiteral("true")});
        start(helper_, helperPath_, {});
        // Listed as the helper only once it runs the helper's program.
        test::waitFor([&] {
            return QFileInfo(QStringLiteral("/proc/%1/exe").arg(helper_.processId()))
                       .symLinkTarget() == QFileInfo(helperPath_).canonicalFilePath();
        });
        start(quorvel_, QStringLiteral(QUORVEL_BINARY), {});
        ready_ = helper_.state() == QProcess::Running && quorvel_.state() == QProcess::Running;
    }

    ~Desktop() {
        for (QProcess *process : {&quorvel_, &helper_, &trayer_}) {
            if (process->state() == QProcess::NotRunning) continue;
            process->closeWriteChannel();
            ::kill(static_cast<pid_t>(process->processId()), SIGTERM);
            if (!process->waitForFinished(10000)) process->kill();
            process->waitForFinished(5000);
        }
    }

    bool ready() const { return ready_; }
    QString mapText() const {
        QFile map(mapFile());
        return map.open(QIODevice::ReadOnly) ? QString::fromUtf8(map.readAll()) : QString();
    }
    int32_t helperPid() const { return static_cast<int32_t>(helper_.processId()); }

    // The named widgets on screen now.
    std::map<QString, MappedWidget> widgets() const {
        std::map<QString, MappedWidget> found;
        QFile map(mapFile());
        if (!map.open(QIODevice::ReadOnly)) return found;
        for (const QByteArray &line : map.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split('\t');
            if (fields.size() < 6) continue;
            found[QString::fromUtf8(fields[0])] = {
                QRect(fields[1].toInt(), fields[2].toInt(), fields[3].toInt(), fields[4].toInt()),
                QString::fromUtf8(fields[5])};
        }
        return found;
    }

    std::optional<MappedWidget>
    waitForWidget(const QString &name,
                  const std::function<bool(const MappedWidget &)> &matches = {},
                  int deadlineMs = 10000) const {
        std::optional<MappedWidget> seen;
        test::waitFor(
            [&] {
                const auto all = widgets();
                const auto found = all.find(name);
                if (found == all.end() || (matches && !matches(found->second))) return false;
                seen = found->second;
                return true;
            },
            deadlineMs);
        return seen;
    }

    // Clicks the middle of the named widget once it is on screen.
    bool click(const QString &name) {
        const std::optional<MappedWidget> widget = waitForWidget(name);
        return widget && clickAt(widget->frame.center());
    }

    bool clickAt(QPoint point) {
        return xdotool({QStringLiteral("mousemove"), QString::number(point.x()),
                        QString::number(point.y()), QStringLiteral("click"), QStringLiteral("1")});
    }

    // Clicks the tray icon until the panel shows, then scrolls the list
    // until the helper's row is in sight.
    bool openPanel() {
        const bool opened = test::waitFor(
            [&] {
                const auto all = widgets();
                if (const auto icon = all.find(QStringLiteral("QSystemTrayIconSys"));
                    icon != all.end())
                    clickAt(icon->second.frame.center());
                return test::waitFor(
                    [&] { return widgets().count(QStringLiteral("footer:settings")) > 0; }, 3000);
            },
            30000);
        if (!opened) return false;
        for (int turn = 0; turn < 20; ++turn) {
            if (waitForWidget(row(QStringLiteral(":menu")), {}, 1000)) return true;
            const auto all = widgets();
            const auto list = all.find(QStringLiteral("qt_scrollarea_viewport"));
            if (list == all.end()) return false;
            const QPoint middle = list->second.frame.center();
            xdotool({QStringLiteral("mousemove"), QString::number(middle.x()),
                     QString::number(middle.y()), QStringLiteral("click"), QStringLiteral("5")});
        }
        return false;
    }

    static QString row(const QString &part) {
        return QStringLiteral("row:") + QLatin1String(kHelperName) + part;
    }
    static QString rule(const QString &part) {
        return QStringLiteral("rule:") + QLatin1String(kHelperName) + part;
    }

    // The process state letter of the helper, as the kernel shows it.
    char helperState() const {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(helperPid()));
        if (!stat.open(QIODevice::ReadOnly)) return '?';
        const QByteArray line = stat.readAll();
        const int close = line.lastIndexOf(')');
        return close >= 0 && close + 2 < line.size() ? line[close + 2] : '?';
    }

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
    QString mapFile() const { return directory_.filePath(QStringLiteral("widgets.txt")); }

    void start(QProcess &process, const QString &program, const QStringList &arguments) {
        process.setProcessEnvironment(environment_);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(program, arguments);
        process.waitForStarted(10000);
    }

    bool xdotool(const QStringList &arguments) {
        QProcess tool;
        tool.setProcessEnvironment(environment_);
        tool.start(QStringLiteral("xdotool"), arguments);
        return tool.waitForFinished(10000) && tool.exitCode() == 0;
    }

    X11Session x11_;
    QTemporaryDir directory_;
    QString helperPath_;
    QProcessEnvironment environment_;
    QProcess trayer_;
    QProcess helper_;
    QProcess quorvel_;
    bool ready_ = false;
};

bool installed(const char *program) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

QString text(const char *key) {
    return QString::fromStdString(L10n::t(key));
}

TEST(ClickThrough, FreezesAndResumesAHelperAndArmsARuleForIt) {
    // Not yet dependable: the helper is at times listed under its process
    // name instead of its desktop entry, and then may not be frozen.
    if (!qEnvironmentVariableIsSet("QUORVEL_CLICK_THROUGH"))
        GTEST_SKIP() << "set QUORVEL_CLICK_THROUGH=1 to run it";
    for (const char *program : {"Xvfb", "openbox", "trayer", "xdotool"}) {
        if (!installed(program)) GTEST_SKIP() << program << " is not installed";
    }
    Desktop desktop;
    ASSERT_TRUE(desktop.ready());
    ASSERT_TRUE(desktop.openPanel()) << "the panel never showed the helper:\n"
                                     << desktop.mapText().toStdString();
    desktop.shoot(QStringLiteral("main-panel"));

    // Freeze from the row, after confirming.
    ASSERT_TRUE(desktop.click(Desktop::row(QStringLiteral(":menu"))));
    ASSERT_TRUE(desktop.waitForWidget(QStringLiteral("menu:") + text("pro.action.suspend")));
    desktop.shoot(QStringLiteral("row-menu"));
    ASSERT_TRUE(desktop.click(QStringLiteral("menu:") + text("pro.action.suspend")));
    ASSERT_TRUE(desktop.waitForWidget(QStringLiteral("confirm:action")));
    desktop.shoot(QStringLiteral("confirmation"));
    ASSERT_TRUE(desktop.click(QStringLiteral("confirm:action")));
    const auto frozenBadge = [](const MappedWidget &badge) {
        return badge.text == text("pro.badge.frozen");
    };
    ASSERT_TRUE(desktop.waitForWidget(Desktop::row(QStringLiteral(":badge")), frozenBadge))
        << "not marked frozen at the next sample; state " << desktop.helperState() << "\n"
        << desktop.mapText().toStdString();
    EXPECT_EQ(desktop.helperState(), 'T');

    // Resume it.
    ASSERT_TRUE(desktop.click(Desktop::row(QStringLiteral(":menu"))));
    ASSERT_TRUE(desktop.click(QStringLiteral("menu:") + text("pro.action.resume")));
    ASSERT_TRUE(test::waitFor(
        [&] { return desktop.widgets().count(Desktop::row(QStringLiteral(":badge"))) == 0; }));
    EXPECT_NE(desktop.helperState(), 'T');

    // Focus selection, the banner, and the history of all of it.
    ASSERT_TRUE(desktop.click(QStringLiteral("footer:enterFocus")));
    ASSERT_TRUE(desktop.click(QStringLiteral("focus:") + QLatin1String(kHelperName)));
    ASSERT_TRUE(desktop.waitForWidget(QStringLiteral("focus:confirm"), [](const MappedWidget &w) {
        return w.text.contains(QLatin1Char('1'));
    }));
    desktop.shoot(QStringLiteral("focus-selection"));
    ASSERT_TRUE(desktop.click(QStringLiteral("focus:confirm")));
    ASSERT_TRUE(desktop.waitForWidget(QStringLiteral("footer:exitFocus")));
    desktop.shoot(QStringLiteral("focus-banner"));
    ASSERT_TRUE(desktop.click(QStringLiteral("footer:exitFocus")));
    ASSERT_TRUE(desktop.click(QStringLiteral("footer:history")));
    ASSERT_TRUE(desktop.waitForWidget(QStringLiteral("history:close")));
    desktop.shoot(QStringLiteral("history"));
    ASSERT_TRUE(desktop.click(QStringLiteral("history:close")));
    EXPECT_NE(desktop.helperState(), 'T');

    // A rule for it, switched on, then automatic governance.
    ASSERT_TRUE(desktop.click(QStringLiteral("footer:settings")));
    ASSERT_TRUE(desktop.click(QStringLiteral("menu:") + text("pro.settings.rules")));
    ASSERT_TRUE(desktop.click(QStringLiteral("rules:add")));
    ASSERT_TRUE(desktop.click(QStringLiteral("menu:") + QLatin1String(kHelperName)));
    const auto status = [&](const char *key) {
        return desktop
            .waitForWidget(Desktop::rule(QStringLiteral(":status")),
                           [key](const MappedWidget &w) { return w.text == text(key); })
            .has_value();
    };
    ASSERT_TRUE(status("pro.rules.status.off"));
    ASSERT_TRUE(desktop.click(Desktop::rule(QStringLiteral(":switch"))));
    ASSERT_TRUE(status("pro.rules.status.masterOff"));
    ASSERT_TRUE(desktop.click(QStringLiteral("rules:master")));
    ASSERT_TRUE(status("pro.rules.status.armedNotify"));
    desktop.shoot(QStringLiteral("rules-editor"));
}

} // namespace
} // namespace quorvel
