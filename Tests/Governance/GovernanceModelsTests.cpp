#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "Model/GovernanceModels.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

constexpr GovernanceAction kAll[] = {GovernanceAction::suspend,   GovernanceAction::resume,
                                     GovernanceAction::restart,   GovernanceAction::focusEnter,
                                     GovernanceAction::focusExit, GovernanceAction::notify};

TEST(GovernanceAction, StoredNamesRoundTripAndNothingElseIsAccepted) {
    const std::pair<GovernanceAction, const char *> stored[] = {
        {GovernanceAction::suspend, "Freeze"},
        {GovernanceAction::resume, "Resume"},
        {GovernanceAction::restart, "Gentle restart"},
        {GovernanceAction::focusEnter, "Enter Focus Mode"},
        {GovernanceAction::focusExit, "Exit Focus Mode"},
        {GovernanceAction::notify, "Threshold alert"},
    };
    for (const auto &[action, raw] : stored) {
        EXPECT_EQ(rawValue(action), raw);
        EXPECT_EQ(governanceActionFromRaw(raw), action) << raw;
    }
    for (const char *other : {"", "freeze", "Freeze ", "suspend", "Enter focus mode", "Threshold"})
        EXPECT_EQ(governanceActionFromRaw(other), std::nullopt) << other;
}

TEST(GovernanceAction, DisplayNamesComeFromTheGivenLocalizer) {
    const Localizer english("en");
    const Localizer german("de");
    std::set<std::string> englishNames;
    for (GovernanceAction action : kAll) {
        const std::string name = displayName(action, english);
        EXPECT_FALSE(name.starts_with("governance.")) << "untranslated: " << name;
        englishNames.insert(name);
    }
    EXPECT_EQ(englishNames.size(), std::size(kAll));
    EXPECT_EQ(displayName(GovernanceAction::suspend, english), "Freeze");
    EXPECT_NE(displayName(GovernanceAction::suspend, german), "Freeze");
    EXPECT_EQ(displayName(GovernanceAction::restart, german),
              german.t("governance.action.restart"));
}

TEST(ActionRecord, EveryRecordHasAFreshIdAndTheGivenTime) {
    const auto at = ActionRecord::Clock::time_point(std::chrono::seconds(1234));
    std::set<std::pair<uint64_t, uint64_t>> ids;
    for (int i = 0; i < 1000; ++i) {
        const ActionRecord record =
            ActionRecord::make(GovernanceAction::notify, "App", "Detail.", true, at);
        EXPECT_EQ(record.timestamp, at);
        ids.insert({record.id.high, record.id.low});
    }
    EXPECT_EQ(ids.size(), 1000u);
    const ActionRecord record =
        ActionRecord::make(GovernanceAction::resume, "Editor", "2 processes.", false, at);
    EXPECT_EQ(record.action, GovernanceAction::resume);
    EXPECT_EQ(record.appName, "Editor");
    EXPECT_EQ(record.detail, "2 processes.");
    EXPECT_FALSE(record.success);
}

TEST(FocusSession, MeasuredChangesNeedBothReadingsAndKeepTheirSign) {
    VMSnapshot before;
    before.pageSize = 16384;
    before.freePages = 1000;
    before.compressedPages = 500;
    VMSnapshot after = before;
    after.freePages = 1010;
    after.compressedPages = 480;

    FocusSession session;
    EXPECT_EQ(session.freeChange(), std::nullopt);
    session.before = before;
    EXPECT_EQ(session.freeChange(), std::nullopt);
    EXPECT_EQ(session.compressedChange(), std::nullopt);
    session.after = after;
    EXPECT_EQ(session.freeChange(), 163840);
    EXPECT_EQ(session.compressedChange(), -20 * 16384);

    // A different page size after the freeze is compared in bytes.
    session.after->pageSize = 4096;
    session.after->freePages = 5000;
    EXPECT_EQ(session.freeChange(), 5000 * 4096 - 1000 * 16384);
    session.before = std::nullopt;
    EXPECT_EQ(session.compressedChange(), std::nullopt);
}

} // namespace
} // namespace quorvel
