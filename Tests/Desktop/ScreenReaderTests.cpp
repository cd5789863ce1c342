#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "Support/AccessibilityBus.h"
#include "Support/HelperDesktop.h"
#include "Util/Localizer.h"

namespace quorvel {
namespace {

using test::AccessibleNode;

class ScreenReader : public ::testing::TestWithParam<const char *> {};

// The real program on the real accessibility bus, read from outside: the
// header, every row and every button have a role and a name in the run's
// language. Then keys alone drive it, from the desktop's shortcut for quorvel
// to a row's menu, a freeze after confirming, a resume and the panel's close;
// Escape closes a menu, then a confirmation, then the panel.
TEST_P(ScreenReader, ReadsThePanelAndDrivesItByKeysAlone) {
    if (!test::desktopToolsInstalled() || !test::accessibilityBusInstalled())
        GTEST_SKIP() << "a desktop tool or the accessibility bus is not installed";
    const QString language = QLatin1String(GetParam()), app = QStringLiteral("Quorvel");
    const Localizer words(language.toStdString());
    const auto text = [&](const char *key) { return QString::fromStdString(words.t(key)); };
    test::AccessibilityBus reader;
    ASSERT_TRUE(reader.ready());
    test::HelperDesktop desktop(QStringLiteral("W-q"), [&](QProcessEnvironment &environment) {
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), reader.sessionAddress());
        environment.insert(QStringLiteral("QUORVEL_LOCALE"), language);
    });
    ASSERT_TRUE(desktop.helperReady()) << desktop.quorvelReport();
    const auto key = [&](const char *keys) {
        ASSERT_TRUE(desktop.xdotool({QStringLiteral("key"), QString::fromLatin1(keys)}));
    };
    const auto focused = [&] { return reader.focused(app).value_or(AccessibleNode{}); };
    const auto onRow = [&](const QString &name) {
        return [&, name] {
            const AccessibleNode now = focused();
            return now.role == QStringLiteral("list item") && now.name.startsWith(name);
        };
    };
    const auto tree = [&] {
        QString lines;
        for (const AccessibleNode &node : reader.tree(app)) lines += node.line() + '\n';
        return lines;
    };

    // The shortcut's start asks the running program, once that is on the bus,
    // to open its panel; the keyboard starts on a row.
    ASSERT_TRUE(reader.waitForName(QStringLiteral("io.quorvel.Quorvel")))
        << desktop.quorvelReport();
    key("super+q");
    ASSERT_TRUE(test::waitFor(onRow(QString()), 30000))
        << desktop.quorvelReport() << tree().toStdString();
    ASSERT_TRUE(test::waitFor([&] { return tree().contains(desktop.helperName()); }));

    const QStringList levels{text("pressure.text.normal"), text("pressure.text.warning"),
                             text("pressure.text.critical")};
    QString lines;
    int rows = 0, buttons = 0, headers = 0;
    for (const AccessibleNode &node : reader.tree(app)) {
        lines += node.line() + '\n';
        const bool row = node.role == QStringLiteral("list item"),
                   button = node.role == QStringLiteral("push button");
        rows += row;
        buttons += button;
        headers += node.role == QStringLiteral("indicator") && levels.contains(node.name);
        if (row || button) {
            EXPECT_FALSE(node.name.isEmpty()) << node.line().toStdString();
        }
        EXPECT_NE(node.role, QStringLiteral("unknown")) << node.line().toStdString();
    }
    QDir().mkpath(QStringLiteral(QUORVEL_SHOTS_DIR));
    QFile saved(QStringLiteral(QUORVEL_SHOTS_DIR "/atspi-tree-%1.txt").arg(language));
    if (saved.open(QIODevice::WriteOnly)) saved.write(lines.toUtf8());
    EXPECT_EQ(headers, 1) << lines.toStdString();
    EXPECT_GE(rows, 2) << lines.toStdString();
    EXPECT_GE(buttons, 3) << lines.toStdString(); // focus mode, history, settings
    EXPECT_TRUE(lines.contains(text("a11y.settings"))) << lines.toStdString();
    desktop.shoot(QStringLiteral("keyboard-") + language);

    // Tab goes down the rows to the helper's.
    const auto onHelper = onRow(desktop.helperName());
    ASSERT_TRUE(test::waitFor(
        [&] {
            if (!onHelper()) key("Tab");
            return onHelper();
        },
        30000))
        << lines.toStdString();

    const QString freeze = QStringLiteral("menu:") + text("pro.action.suspend");
    key("Return");
    ASSERT_TRUE(desktop.waitForWidget(freeze)) << desktop.quorvelReport();
    key("Escape");
    ASSERT_TRUE(test::waitFor([&] { return !desktop.shows(freeze); }));
    const auto askToFreeze = [&] {
        ASSERT_TRUE(desktop.shows(QStringLiteral("panel")));
        key("Return");
        ASSERT_TRUE(desktop.waitForWidget(freeze));
        key("Down");
        key("Return");
        ASSERT_TRUE(test::waitFor([&] {
            const AccessibleNode now = focused();
            return now.role == QStringLiteral("push button") &&
                   now.name == text("pro.confirm.suspend.button");
        })) << focused().line().toStdString();
    };
    askToFreeze();
    key("Escape");
    ASSERT_TRUE(test::waitFor(onHelper)) << focused().line().toStdString();
    EXPECT_NE(desktop.helperState(), 'T');
    askToFreeze();
    key("Return");
    ASSERT_TRUE(test::waitFor([&] { return desktop.helperState() == 'T'; }));
    ASSERT_TRUE(test::waitFor([&] {
        return onHelper() && focused().name.contains(text("pro.badge.frozen"));
    })) << focused().line().toStdString();

    const QString resume = QStringLiteral("menu:") + text("pro.action.resume");
    key("Return");
    ASSERT_TRUE(desktop.waitForWidget(resume));
    key("Down");
    key("Return");
    ASSERT_TRUE(test::waitFor([&] { return desktop.helperState() != 'T'; }));
    key("Escape");
    EXPECT_TRUE(test::waitFor([&] { return !desktop.shows(QStringLiteral("panel")); }));
}

INSTANTIATE_TEST_SUITE_P(Languages, ScreenReader, ::testing::Values("en", "de"));

} // namespace
} // namespace quorvel
