#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include "DemoDiagnostics.h"
#include "Support/TrayDesktop.h"

namespace quorvel {
namespace {

QString readAll(const QString &file) {
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()) : QString();
}

// The real desktop with a demo run of quorvel in it.
class DemoDesktop : public test::TrayDesktop {
public:
    explicit DemoDesktop(const char *scene) {
        if (!ready()) return;
        environment().insert(QStringLiteral("QUORVEL_DEMO_SCENE"), QString::fromLatin1(scene));
        running_ = startQuorvel();
    }

    bool running() const { return running_; }
    bool panelShown() const { return shows(QStringLiteral("footer:settings")); }

private:
    bool running_ = false;
};

// Generous: the loop fires every two seconds, a sanitised build starts slowly.
constexpr int kPatience = 60000;

TEST(DemoDesktop, KeepsThePanelOpenAndRewritesTheStatusFileWholeAtEveryFiring) {
    if (!test::desktopToolsInstalled()) GTEST_SKIP() << "a desktop tool is not installed";
    const QString file = QString::fromLatin1(DemoDiagnostics::kDefaultFile);
    if (QFileInfo::exists(file) && !QFile::remove(file))
        GTEST_SKIP() << "another user's " << file.toStdString() << " is in the way";

    DemoDesktop desktop("focusAfter");
    ASSERT_TRUE(desktop.running());
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
    const ino_t first = test::inodeOf(file);
    ASSERT_TRUE(QTest::qWaitFor([&] { return test::inodeOf(file) != first; }, kPatience));
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
