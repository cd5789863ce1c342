#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <csignal>

#include "DemoDiagnostics.h"
#include "Workspace/X11Session.h"

namespace quorvel {
namespace {

bool installed(const char *program) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

QString readAll(const QString &file) {
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()) : QString();
}

// The file's inode, which changes whenever a new copy is renamed over it.
ino_t inodeOf(const QString &file) {
    struct stat info {};
    return ::stat(QFile::encodeName(file).constData(), &info) == 0 ? info.st_ino : 0;
}

// A private X server with an XEmbed tray (trayer) and a demo run of quorvel
// in it, with a home of its own.
class DemoDesktop {
public:
    explicit DemoDesktop(const char *scene) {
        if (!x11_.ready()) return;
        const QString home = directory_.path();
        for (const char *sub : {"config", "runtime"})
            QDir().mkpath(home + QLatin1Char('/') + QLatin1String(sub));
        QFile::setPermissions(home + QStringLiteral("/runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("DISPLAY"), QString::fromStdString(x11_.display()));
        environment_.insert(QStringLiteral("HOME"), home);
        environment_.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
        // No session bus, so the tray is the XEmbed one.
        environment_.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        environment_.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment_.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment_.insert(QStringLiteral("QUORVEL_DEMO_SCENE"), QString::fromLatin1(scene));
        environment_.insert(QStringLiteral("QUORVEL_WIDGET_MAP"), mapFile());

        start(trayer_, QStringLiteral("trayer"),
              {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
               QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
               QStringLiteral("--width"), QStringLiteral("48"), QStringLiteral("--heighttype"),
               QStringLiteral("pixel"), QStringLiteral("--height"), QStringLiteral("28")});
        start(quorvel_, QStringLiteral(QUORVEL_BINARY), {});
        ready_ = trayer_.state() == QProcess::Running && quorvel_.state() == QProcess::Running;
    }

    ~DemoDesktop() {
        for (QProcess *process : {&quorvel_, &trayer_}) {
            if (process->state() == QProcess::NotRunning) continue;
            ::kill(static_cast<pid_t>(process->processId()), SIGTERM);
            if (!process->waitForFinished(10000)) process->kill();
            process->waitForFinished(5000);
        }
    }

    bool ready() const { return ready_; }
    bool panelShown() const {
        return readAll(mapFile()).contains(QStringLiteral("footer:settings\t"));
    }
    bool xdotool(const QStringList &arguments) {
        QProcess tool;
        tool.setProcessEnvironment(environment_);
        tool.start(QStringLiteral("xdotool"), arguments);
        return tool.waitForFinished(10000) && tool.exitCode() == 0;
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

    X11Session x11_;
    QTemporaryDir directory_;
    QProcessEnvironment environment_;
    QProcess trayer_;
    QProcess quorvel_;
    bool ready_ = false;
};

// Generous: the loop fires every two seconds, a sanitised build starts slowly.
constexpr int kPatience = 60000;

TEST(DemoDesktop, KeepsThePanelOpenAndRewritesTheStatusFileWholeAtEveryFiring) {
    for (const char *program : {"Xvfb", "openbox", "trayer", "xdotool"}) {
        if (!installed(program)) GTEST_SKIP() << program << " is not installed";
    }
    const QString file = QString::fromLatin1(DemoDiagnostics::kDefaultFile);
    if (QFileInfo::exists(file) && !QFile::remove(file))
        GTEST_SKIP() << "another user's " << file.toStdString() << " is in the way";

    DemoDesktop desktop("focusAfter");
    ASSERT_TRUE(desktop.ready());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(file); }, kPatience));

    const QRegularExpression frameLine(
        QStringLiteral(R"(^(-?\d+\.\d+) (-?\d+\.\d+) (\d+\.\d+) (\d+\.\d+)$)"));
    const auto checkFormat = [&](const QString &text) {
        const QStringList lines = text.split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), 3) << text.toStdString();
        const QRegularExpressionMatch frame = frameLine.match(lines[0]);
        ASSERT_TRUE(frame.hasMatch()) << lines[0].toStdString();
        EXPECT_GT(frame.captured(3).toDouble(), 0.0);
        EXPECT_GT(frame.captured(4).toDouble(), 0.0);
        EXPECT_TRUE(lines[1].startsWith(QStringLiteral("visible=true "))) << lines[1].toStdString();
        EXPECT_TRUE(lines[2].isEmpty());
    };
    checkFormat(readAll(file));

    // Each firing renames a new copy over the old one.
    const ino_t first = inodeOf(file);
    ASSERT_TRUE(QTest::qWaitFor([&] { return inodeOf(file) != first; }, kPatience));
    checkFormat(readAll(file));

    // Escape closes the panel; the next firing shows it again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return desktop.panelShown(); }, kPatience));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            desktop.xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
            return QTest::qWaitFor([&] { return !desktop.panelShown(); }, 1000);
        },
        kPatience));
    EXPECT_TRUE(QTest::qWaitFor([&] { return desktop.panelShown(); }, kPatience));
}

} // namespace
} // namespace quorvel
