#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

#include "Defaults/SettingsDefaultsStore.h"
#include "Support/ReviewPrompt.h"

namespace {

using namespace std::chrono_literals;
using quorvel::Date;
using quorvel::PressureLevel;
using quorvel::ReviewPrompt;
using quorvel::ReviewPromptState;

const quorvel::ReviewPromptEngine::Policy kPolicy{3.0, 3, 4, 14.0, 7, 10, 4.0, 120.0};
const char kVersion[] = "0.1 (71)";

// A review prompt on a real settings file, with a clock the test moves.
class ReviewPromptTest : public ::testing::Test {
protected:
    std::shared_ptr<quorvel::platform::SettingsDefaultsStore> settings() const {
        return std::make_shared<quorvel::platform::SettingsDefaultsStore>(
            dir.filePath(QStringLiteral("Quorvel.conf")));
    }
    std::unique_ptr<ReviewPrompt> prompt() {
        return std::make_unique<ReviewPrompt>(
            settings(), kPolicy, kVersion, [this] { return now; }, true,
            [this](QWidget *) { requests.push_back(stored()); }); // what was saved by then
    }
    // The record as a fresh reader of the file finds it.
    std::optional<ReviewPromptState> stored() const {
        const std::optional<std::string> bytes = settings()->dataValue(ReviewPrompt::kSettingsKey);
        return bytes ? ReviewPromptState::fromJSON(*bytes) : std::nullopt;
    }
    void store(const std::string &bytes) const {
        ASSERT_TRUE(settings()->write({{ReviewPrompt::kSettingsKey, bytes}}));
    }

    QTemporaryDir dir;
    Date now = Date(std::chrono::seconds(1'750'000'000));
    std::vector<std::optional<ReviewPromptState>> requests;
};

TEST_F(ReviewPromptTest, AnUnreadableRecordLoadsFreshAndIsReplaced) {
    for (const std::string &bytes :
         {std::string("not json"), std::string(R"({"activeDays":[],"sawStrain":true})"),
          std::string("\xff\xfe\x00{", 4)}) {
        store(bytes);
        const auto fresh = prompt();
        EXPECT_EQ(fresh->snapshot(), (ReviewPromptState{now, 0, {}, false, {}, {}}));
        EXPECT_EQ(stored(), fresh->snapshot());
    }
}

// First launch four days ago, strain seen, three days of use with three
// openings: the next opening qualifies once the panel stays open long enough.
TEST_F(ReviewPromptTest, AsksOnceAfterAQualifyingVisitAndAfterSaving) {
    const struct {
        const char *name;
        PressureLevel level;
        std::chrono::milliseconds open; // before it closes, or the dwell check
        bool closes;
        std::size_t requests;
    } visits[] = {
        {"closed before the dwell ends", PressureLevel::normal, 3s, true, 0},
        {"memory under strain", PressureLevel::critical, 4250ms, false, 0},
        {"a qualifying visit", PressureLevel::normal, 4250ms, false, 1},
        {"this version was asked already", PressureLevel::normal, 5s, false, 0},
    };
    const ReviewPromptState almost{now - 96h, 3,  {"2025-06-10", "2025-06-11", "2025-06-12"},
                                   true,      {}, {}};
    store(almost.toJSON().value());
    for (const auto &visit : visits) {
        SCOPED_TRACE(visit.name);
        requests.clear();
        const auto coordinator = prompt();
        coordinator->notePressure(visit.level);
        coordinator->panelDidOpen();
        now += visit.open;
        if (visit.closes) coordinator->panelDidClose();
        QTimer *const dwell = coordinator->dwellTimer();
        EXPECT_NE(dwell->isActive(), visit.closes);
        // The wait runs on the test's clock: let the timer go off now.
        if (dwell->isActive()) dwell->start(0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dwell->isActive(); }, 10000));
        ASSERT_EQ(requests.size(), visit.requests);
        if (visit.requests) {
            ASSERT_TRUE(requests[0]);
            EXPECT_EQ(requests[0]->lastRequestVersion, kVersion);
            EXPECT_EQ(requests[0]->lastRequestDate, now);
        }
    }
}

} // namespace
