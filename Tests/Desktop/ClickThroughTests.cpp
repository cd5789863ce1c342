#include <gtest/gtest.h>

#include <QProcess>

#include "Support/HelperDesktop.h"

namespace quorvel {
namespace {

using Desktop = test::HelperDesktop;
using test::MappedWidget;
QString text(const char *key) {
    return QString::fromStdString(L10n::t(key));
}

QString menuEntry(const char *key) {
    return QStringLiteral("menu:") + text(key);
}

// The whole way a user takes through the panel, ending with Quit while an
// application is frozen: the program ends and the application runs again.
TEST(ClickThrough, FreezesResumesFocusesArmsARuleAndQuitsResumingWhatItFroze) {
    if (!test::desktopToolsInstalled()) GTEST_SKIP() << "a desktop tool is not installed";
    Desktop desktop;
    ASSERT_TRUE(desktop.helperReady());
    ASSERT_TRUE(desktop.openPanelAtHelper()) << "the panel never showed the helper:\n"
                                             << desktop.quorvelReport();
    desktop.shoot(QStringLiteral("main-panel"));

    // Freeze from the row, after confirming.
    const auto freezeHelper = [&](bool shoot) {
        ASSERT_TRUE(desktop.scrollTo(desktop.row(QStringLiteral(":menu"))));
        ASSERT_TRUE(
            desktop.press(desktop.row(QStringLiteral(":menu")), menuEntry("pro.action.suspend")));
        if (shoot) desktop.shoot(QStringLiteral("row-menu"));
        ASSERT_TRUE(
            desktop.press(menuEntry("pro.action.suspend"), QStringLiteral("confirm:action")));
        if (shoot) desktop.shoot(QStringLiteral("confirmation"));
        const auto frozen = [&] {
            const auto all = desktop.freshWidgets();
            const auto badge = all.find(desktop.row(QStringLiteral(":badge")));
            return badge != all.end() && badge->second.text == text("pro.badge.frozen");
        };
        ASSERT_TRUE(desktop.press(QStringLiteral("confirm:action"), frozen))
            << "not marked frozen at the next sample; state " << desktop.helperState() << "\n"
            << desktop.quorvelReport();
        EXPECT_EQ(desktop.helperState(), 'T');
    };
    freezeHelper(true);
    if (HasFatalFailure()) return;

    // Resume it.
    ASSERT_TRUE(
        desktop.press(desktop.row(QStringLiteral(":menu")), menuEntry("pro.action.resume")));
    ASSERT_TRUE(desktop.press(menuEntry("pro.action.resume"), [&] {
        return !desktop.shows(desktop.row(QStringLiteral(":badge")));
    }));
    EXPECT_NE(desktop.helperState(), 'T');

    // Focus selection, the banner, and the history of all of it.
    ASSERT_TRUE(
        desktop.press(QStringLiteral("footer:enterFocus"), QStringLiteral("focus:confirm")));
    ASSERT_TRUE(desktop.scrollTo(QStringLiteral("focus:") + desktop.helperName()));
    ASSERT_TRUE(desktop.press(QStringLiteral("focus:") + desktop.helperName(), [&] {
        return desktop
            .waitForWidget(
                QStringLiteral("focus:confirm"),
                [](const MappedWidget &w) { return w.text.contains(QLatin1Char('1')); }, 1000)
            .has_value();
    }));
    desktop.shoot(QStringLiteral("focus-selection"));
    ASSERT_TRUE(desktop.press(QStringLiteral("focus:confirm"), QStringLiteral("footer:exitFocus")));
    desktop.shoot(QStringLiteral("focus-banner"));
    ASSERT_TRUE(desktop.press(QStringLiteral("footer:exitFocus"),
                              [&] { return !desktop.shows(QStringLiteral("footer:exitFocus")); }));
    ASSERT_TRUE(desktop.press(QStringLiteral("footer:history"), QStringLiteral("history:close")));
    desktop.shoot(QStringLiteral("history"));
    ASSERT_TRUE(desktop.press(QStringLiteral("history:close"), QStringLiteral("footer:settings")));
    EXPECT_NE(desktop.helperState(), 'T');

    // A rule for it, switched on, then automatic governance.
    ASSERT_TRUE(desktop.press(QStringLiteral("footer:settings"), menuEntry("pro.settings.rules")));
    ASSERT_TRUE(desktop.press(menuEntry("pro.settings.rules"), QStringLiteral("rules:add")));
    ASSERT_TRUE(
        desktop.press(QStringLiteral("rules:add"), QStringLiteral("menu:") + desktop.helperName()));
    const auto status = [&](const char *key) {
        return [&desktop, key] {
            const QString name = desktop.rule(QStringLiteral(":status"));
            if (!desktop.scrollTo(name)) return false;
            const auto all = desktop.widgets();
            const auto found = all.find(name);
            return found != all.end() && found->second.text == text(key);
        };
    };
    ASSERT_TRUE(desktop.press(QStringLiteral("menu:") + desktop.helperName(),
                              status("pro.rules.status.off")))
        << desktop.quorvelReport();
    ASSERT_TRUE(desktop.press(desktop.rule(QStringLiteral(":switch")),
                              status("pro.rules.status.masterOff")))
        << desktop.quorvelReport();
    ASSERT_TRUE(desktop.scrollTo(QStringLiteral("rules:master")));
    ASSERT_TRUE(
        desktop.press(QStringLiteral("rules:master"), status("pro.rules.status.armedNotify")))
        << desktop.quorvelReport();
    desktop.shoot(QStringLiteral("rules-editor"));
    ASSERT_TRUE(desktop.press(QStringLiteral("rules:done"), QStringLiteral("footer:settings")));

    // Quit with the helper frozen: the program ends and resumes it.
    freezeHelper(false);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(desktop.press(QStringLiteral("footer:settings"), menuEntry("pro.settings.quit")));
    ASSERT_TRUE(desktop.press(menuEntry("pro.settings.quit"), [&] {
        return desktop.quorvel().state() == QProcess::NotRunning;
    })) << desktop.quorvelReport();
    EXPECT_EQ(desktop.quorvel().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(desktop.quorvel().exitCode(), 0);
    EXPECT_TRUE(test::waitFor([&] { return desktop.helperState() != 'T'; }, 10000));
}

} // namespace
} // namespace quorvel
