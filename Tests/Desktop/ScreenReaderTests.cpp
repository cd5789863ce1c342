#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "Support/AccessibilityBus.h"
#include "Support/HelperDesktop.h"
#include "Util/Localizer.h"

namespace quorvel {
namespace {

using Desktop = test::HelperDesktop;
using test::AccessibleNode;

constexpr char kLaunchKey[] = "super+q";
const QString kApplication = QStringLiteral("Quorvel");

QString treeText(const std::vector<AccessibleNode> &tree) {
    QString text;
    for (const AccessibleNode &node : tree) text += node.line() + QLatin1Char('\n');
    return text;
}

class ScreenReader : public ::testing::TestWithParam<const char *> {};

// The real program on the real accessibility bus, read from outside: the
// header, every row and every button have a role and a name in the run's
// language; then the panel is driven by keys alone, from the desktop's
// shortcut to a freeze after confirming and back.
TEST_P(ScreenReader, ReadsThePanelAndDrivesItByKeysAlone) {
    if (!test::desktopToolsInstalled() || !test::accessibilityBusInstalled())
        GTEST_SKIP() << "a desktop tool or the accessibility bus is not installed";
    const QString language = QLatin1String(GetParam());
    const Localizer words(language.toStdString());
    const auto text = [&](const char *key) { return QString::fromStdString(words.t(key)); };
    test::AccessibilityBus reader;
    ASSERT_TRUE(reader.ready()) << reader.problem().toStdString();
    Desktop desktop(QLatin1String(kLaunchKey), [&](QProcessEnvironment &environment) {
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), reader.sessionAddress());
        environment.insert(QStringLiteral("QUORVEL_LOCALE"), language);
    });
    ASSERT_TRUE(desktop.helperReady()) << desktop.quorvelReport();

    const auto key = [&](const char *keys) {
        ASSERT_TRUE(desktop.xdotool({QStringLiteral("key"), QString::fromLatin1(keys)}));
    };
    const auto focused = [&] { return reader.focused(kApplication).value_or(AccessibleNode{}); };
    const auto focusedRowIsHelper = [&] {
        const AccessibleNode now = focused();
        return now.role == QStringLiteral("list item") && now.name.startsWith(desktop.helperName());
    };

    // Opened by the desktop's shortcut, the panel starts on its first row.
    // A start by the shortcut asks the running program to open its panel,
    // once that has joined the session bus.
    ASSERT_TRUE(reader.waitForName(QStringLiteral("io.quorvel.Quorvel")))
        << desktop.quorvelReport();
    const auto onARow = [&] { return focused().role == QStringLiteral("list item"); };
    key(kLaunchKey);
    ASSERT_TRUE(test::waitFor(onARow, 30000))
        << desktop.quorvelReport() << treeText(reader.tree(kApplication)).toStdString();
    // Rows are read once their figures are in.
    ASSERT_TRUE(test::waitFor([&] {
        for (const AccessibleNode &node : reader.tree(kApplication))
            if (node.name.startsWith(desktop.helperName())) return true;
        return false;
    }));

    const std::vector<AccessibleNode> tree = reader.tree(kApplication);
    QString dump;
    int rows = 0, buttons = 0, headers = 0;
    for (const AccessibleNode &node : tree) {
        dump += node.line() + QLatin1Char('\n');
        const bool row = node.role == QStringLiteral("list item");
        const bool button = node.role == QStringLiteral("push button");
        const bool header = node.name == text("pressure.text.normal") ||
                            node.name == text("pressure.text.warning") ||
                            node.name == text("pressure.text.critical");
        rows += row;
        buttons += button;
        headers += header;
        if (row || button) {
            EXPECT_FALSE(node.name.isEmpty()) << node.line().toStdString();
        }
        EXPECT_NE(node.role, QStringLiteral("unknown")) << node.line().toStdString();
    }
    QDir().mkpath(QStringLiteral(QUORVEL_SHOTS_DIR));
    QFile saved(QStringLiteral(QUORVEL_SHOTS_DIR "/atspi-tree-") + language +
                QStringLiteral(".txt"));
    if (saved.open(QIODevice::WriteOnly)) saved.write(dump.toUtf8());
    EXPECT_EQ(headers, 1) << dump.toStdString();
    EXPECT_GE(rows, 2) << dump.toStdString();
    EXPECT_GE(buttons, 3) << dump.toStdString(); // focus mode, history, settings
    EXPECT_TRUE(dump.contains(text("a11y.settings"))) << dump.toStdString();
    desktop.shoot(QStringLiteral("keyboard-") + language);

    // Tab goes down the rows to the helper's.
    ASSERT_TRUE(test::waitFor(
        [&] {
            if (focusedRowIsHelper()) return true;
            key("Tab");
            return focusedRowIsHelper();
        },
        30000))
        << dump.toStdString();

    // Enter opens the row's menu and Escape closes it alone; the menu's first
    // entry freezes after confirming, which Escape cancels and Enter confirms.
    const QString freeze = QStringLiteral("menu:") + text("pro.action.suspend");
    key("Return");
    ASSERT_TRUE(desktop.waitForWidget(freeze)) << desktop.quorvelReport();
    key("Escape");
    ASSERT_TRUE(test::waitFor([&] { return !desktop.shows(freeze); }));
    EXPECT_TRUE(desktop.shows(QStringLiteral("panel")));
    const auto askToFreeze = [&] {
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
    ASSERT_TRUE(test::waitFor(focusedRowIsHelper)) << focused().line().toStdString();
    EXPECT_TRUE(desktop.shows(QStringLiteral("panel")));
    EXPECT_NE(desktop.helperState(), 'T');
    askToFreeze();
    key("Return");
    ASSERT_TRUE(test::waitFor([&] { return desktop.helperState() == 'T'; }));
    ASSERT_TRUE(test::waitFor([&] {
        return focusedRowIsHelper() && focused().name.contains(text("pro.badge.frozen"));
    })) << focused().line().toStdString();

    // Resume from the same row, then Escape closes the panel.
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
