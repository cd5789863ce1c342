#include <gtest/gtest.h>

#include <QRegularExpression>
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
using quorvel::ReviewPromptEngine::Hold;
using quorvel::ReviewPromptEngine::Policy;

const Policy kPolicy{3.0, 3, 4, 14.0, 7, 10, 4.0, 120.0};
const char kVersion[] = "0.1 (71)";

// A review prompt on a real settings file, with a clock the test moves.
class ReviewPromptTest : public ::testing::Test {
protected:
    std::shared_ptr<quorvel::platform::SettingsDefaultsStore> settings() const {
        return std::make_shared<quorvel::platform::SettingsDefaultsStore>(
            dir.filePath(QStringLiteral("Quorvel.conf")));
    }
    std::unique_ptr<ReviewPrompt> prompt(bool persists = true) {
        return std::make_unique<ReviewPrompt>(
            settings(), kPolicy, kVersion, [this] { return now; }, persists,
            [this](QWidget *) {
                requests.push_back(stored()); // what was saved when the request was made
            });
    }
    // The record as a fresh reader of the file finds it.
    std::optional<ReviewPromptState> stored() const {
        const std::optional<std::string> bytes = settings()->dataValue(ReviewPrompt::kSettingsKey);
        return bytes ? ReviewPromptState::fromJSON(*bytes) : std::nullopt;
    }
    void store(const QByteArray &bytes) const {
        ASSERT_TRUE(settings()->write({{ReviewPrompt::kSettingsKey, bytes.toStdString()}}));
    }
    void storeState(const ReviewPromptState &state) const {
        store(QByteArray::fromStdString(state.toJSON().value()));
    }
    // Lets the pending dwell timer go off now; the dwell it measures comes
    // from the test's clock.
    static void fireDwellTimer(ReviewPrompt &prompt) {
        prompt.dwellTimer()->start(0);
        QTest::qWait(0);
        QCoreApplication::processEvents();
    }

    QTemporaryDir dir;
    Date now = Date(std::chrono::seconds(1'750'000'000));
    std::vector<std::optional<ReviewPromptState>> requests;
};

TEST_F(ReviewPromptTest, RecordsTheFirstLaunchAtOnceAndKeepsIt) {
    const auto first = prompt();
    EXPECT_EQ(first->snapshot().firstLaunch, now);
    ASSERT_TRUE(stored());
    EXPECT_EQ(stored()->firstLaunch, now);

    now += 48h;
    EXPECT_EQ(prompt()->snapshot().firstLaunch, now - 48h);
}

TEST_F(ReviewPromptTest, WithoutPersistenceNothingIsReadOrWritten) {
    ReviewPromptState old;
    old.firstLaunch = now - 1000h;
    storeState(old);
    const auto demo = prompt(false);
    EXPECT_EQ(demo->snapshot().firstLaunch, now);
    demo->panelDidOpen();
    demo->notePressure(PressureLevel::critical);
    EXPECT_EQ(stored(), old);
}

TEST_F(ReviewPromptTest, AnUnreadableRecordLoadsFreshAndIsReplaced) {
    for (const QByteArray &bytes :
         {QByteArray("not json"), QByteArray(R"({"activeDays":[],"sawStrain":true})"),
          QByteArray("\xff\xfe\x00{", 4)}) {
        store(bytes);
        const auto fresh = prompt();
        EXPECT_EQ(fresh->snapshot(), (ReviewPromptState{now, 0, {}, false, {}, {}}));
        EXPECT_EQ(stored(), fresh->snapshot());
    }
}

TEST_F(ReviewPromptTest, CountsOpeningsAndDistinctDaysKeepingTheLatest120) {
    const auto coordinator = prompt();
    coordinator->panelDidOpen();
    coordinator->panelDidOpen();
    EXPECT_EQ(coordinator->snapshot().panelOpens, 2);
    EXPECT_EQ(coordinator->snapshot().activeDays.size(), 1u);
    EXPECT_EQ(stored()->panelOpens, 2);

    std::vector<std::string> days{coordinator->snapshot().activeDays.front()};
    for (int day = 1; day < 121; ++day) {
        now += 24h;
        coordinator->panelDidOpen();
        days.push_back(quorvel::dayKey(now));
    }
    EXPECT_EQ(coordinator->snapshot().activeDays,
              std::vector<std::string>(days.begin() + 1, days.end()));
    EXPECT_EQ(stored()->activeDays.size(), 120u);
}

TEST_F(ReviewPromptTest, StrainIsNotedOnceAndForGood) {
    const auto coordinator = prompt();
    coordinator->notePressure(PressureLevel::warning);
    EXPECT_EQ(coordinator->level(), PressureLevel::warning);
    EXPECT_TRUE(stored()->sawStrain);
    coordinator->notePressure(PressureLevel::normal);
    EXPECT_EQ(coordinator->level(), PressureLevel::normal);
    EXPECT_TRUE(coordinator->snapshot().sawStrain);
    EXPECT_TRUE(prompt()->snapshot().sawStrain);
}

// First launch four days ago, strain seen, three days of use with three
// openings: the next opening qualifies.
ReviewPromptState almostQualifying(Date now) {
    return {now - 96h, 3, {"2025-06-10", "2025-06-11", "2025-06-12"}, true, {}, {}};
}

TEST_F(ReviewPromptTest, AQualifyingDwellRequestsOnceAfterSaving) {
    storeState(almostQualifying(now));
    const auto coordinator = prompt();
    coordinator->panelDidOpen();
    ASSERT_TRUE(coordinator->dwellTimer()->isActive());
    EXPECT_EQ(coordinator->dwellTimer()->interval(), 4250);
    EXPECT_TRUE(coordinator->dwellTimer()->isSingleShot());

    now += 4250ms;
    fireDwellTimer(*coordinator);
    ASSERT_EQ(requests.size(), 1u);
    ASSERT_TRUE(requests[0]);
    EXPECT_EQ(requests[0]->lastRequestVersion, kVersion);
    EXPECT_EQ(requests[0]->lastRequestDate, now);

    // The same day again: this version was asked already.
    coordinator->panelDidClose();
    coordinator->panelDidOpen();
    now += 5s;
    fireDwellTimer(*coordinator);
    coordinator->consider(10);
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_EQ(quorvel::ReviewPromptEngine::evaluate(coordinator->snapshot(), kVersion,
                                                    PressureLevel::normal, 10, now, kPolicy),
              quorvel::ReviewPromptEngine::Outcome::holding(Hold::alreadyAskedThisVersion));
}

TEST_F(ReviewPromptTest, ClosingBeforeTheDwellEndsAsksNothing) {
    storeState(almostQualifying(now));
    const auto coordinator = prompt();
    coordinator->panelDidOpen();
    now += 3s;
    coordinator->panelDidClose();
    EXPECT_FALSE(coordinator->dwellTimer()->isActive());
    now += 10s;
    QCoreApplication::processEvents();
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(stored()->lastRequestDate, std::nullopt);
}

TEST_F(ReviewPromptTest, StrainedMemoryHoldsTheRequest) {
    storeState(almostQualifying(now));
    const auto coordinator = prompt();
    coordinator->notePressure(PressureLevel::critical);
    coordinator->panelDidOpen();
    now += 4250ms;
    fireDwellTimer(*coordinator);
    EXPECT_TRUE(requests.empty());
}

TEST_F(ReviewPromptTest, TheVersionIsTheShortVersionAndTheBuildNumber) {
    const QString version = QString::fromStdString(ReviewPrompt::bundleVersion());
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\d+\\.\\d+ \\(\\d+\\)$")).match(version).hasMatch())
        << version.toStdString();
    EXPECT_EQ(ReviewPrompt::writeReviewURL().query(), QStringLiteral("action=write-review"));
}

} // namespace
