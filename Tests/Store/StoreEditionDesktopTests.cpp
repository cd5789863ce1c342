#include <gtest/gtest.h>

#include <QProcess>

#include "Defaults/SettingsDefaultsStore.h"
#include "Support/QuorvelRun.h"
#include "Support/ReviewPrompt.h"
#include "Support/TrayDesktop.h"

namespace quorvel {
namespace {

// The review record the running store edition keeps in this desktop's home.
std::optional<ReviewPromptState> storedReviewRecord(const test::TrayDesktop &desktop) {
    const platform::SettingsDefaultsStore defaults(desktop.home("config") +
                                                   QStringLiteral("/Quorvel/Quorvel.conf"));
    const std::optional<std::string> json = defaults.dataValue(ReviewPrompt::kSettingsKey);
    return json ? ReviewPromptState::fromJSON(*json) : std::nullopt;
}

TEST(StoreEditionDesktop, OpensItsPanelFromTheTrayCountsTheOpeningAndQuits) {
    if (!test::desktopToolsInstalled()) GTEST_SKIP() << "a desktop tool is not installed";
    test::TrayDesktop desktop;
    ASSERT_TRUE(desktop.ready());
    ASSERT_TRUE(desktop.startQuorvel({QStringLiteral("--store-edition")}));
    ASSERT_TRUE(desktop.openPanel(QStringLiteral("mas:quit"))) << desktop.quorvelReport();
    desktop.shoot(QStringLiteral("store-edition"));
    EXPECT_FALSE(desktop.shows(QStringLiteral("footer:settings"))) << "not the full panel";

    // One per user, whichever edition runs.
    for (const char *option : {"--store-edition", ""}) {
        SCOPED_TRACE(option);
        QStringList arguments;
        if (*option) arguments << QString::fromLatin1(option);
        const test::Finished second = test::runQuorvel(arguments, desktop.environment());
        EXPECT_EQ(second.exitCode, 1);
        EXPECT_NE(second.err.find("already running"), std::string::npos) << second.err;
    }

    // The user's own opening reached the review prompt, which saved it.
    ASSERT_TRUE(test::waitFor([&] {
        const std::optional<ReviewPromptState> record = storedReviewRecord(desktop);
        return record && record->panelOpens >= 1 && record->activeDays.size() == 1;
    })) << desktop.quorvelReport();

    ASSERT_TRUE(desktop.openPanel(QStringLiteral("mas:quit"))) << desktop.quorvelReport();
    ASSERT_TRUE(desktop.press(QStringLiteral("mas:quit"), [&] {
        return desktop.quorvel().state() == QProcess::NotRunning;
    })) << desktop.quorvelReport();
    EXPECT_EQ(desktop.quorvel().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(desktop.quorvel().exitCode(), 0);
}

} // namespace
} // namespace quorvel
