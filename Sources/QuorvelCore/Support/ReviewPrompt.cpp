#include "Support/ReviewPrompt.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "Support/StoreLinks.h"

#ifndef QUORVEL_SHORT_VERSION
#define QUORVEL_SHORT_VERSION "0"
#endif
#ifndef QUORVEL_BUILD_NUMBER
#define QUORVEL_BUILD_NUMBER "0"
#endif

namespace quorvel {
namespace {

constexpr std::size_t kMaxActiveDays = 120;

std::string orZero(const char *value) {
    return *value ? value : "0";
}

} // namespace

ReviewPrompt::ReviewPrompt(std::shared_ptr<platform::DefaultsStore> defaults,
                           ReviewPromptEngine::Policy policy, std::string version, Clock now,
                           bool persists, Request performRequest, QObject *parent)
    : QObject(parent)
    , defaults_(std::move(defaults))
    , persists_(persists)
    , policy_(policy)
    , version_(std::move(version))
    , now_(std::move(now))
    , dwellTimer_(new QTimer(this))
    , performRequest_(std::move(performRequest)) {
    dwellTimer_->setSingleShot(true);
    // The timer belongs to this object, but the check still makes sure it is
    // alive: a firing queued just before destruction must do nothing.
    connect(dwellTimer_, &QTimer::timeout, this, [prompt = QPointer<ReviewPrompt>(this)] {
        if (prompt) prompt->dwellCheck();
    });
    if (persists_) load();
    if (!state_.firstLaunch) {
        state_.firstLaunch = now_();
        save();
    }
}

ReviewPrompt::~ReviewPrompt() = default;

std::string ReviewPrompt::bundleVersion() {
    return orZero(QUORVEL_SHORT_VERSION) + " (" + orZero(QUORVEL_BUILD_NUMBER) + ")";
}

QUrl ReviewPrompt::writeReviewURL() {
    return QUrl(QString::fromLatin1(StoreLinks::kWriteReview));
}

void ReviewPrompt::load() {
    if (!defaults_) return;
    const std::optional<std::string> stored = defaults_->dataValue(kSettingsKey);
    if (!stored) return;
    // An unreadable record is left where it is until the next save replaces it.
    if (auto state = ReviewPromptState::fromJSON(*stored)) state_ = std::move(*state);
}

// A failed write leaves the record in memory as the one that counts.
void ReviewPrompt::save() {
    if (!persists_ || !defaults_) return;
    std::optional<std::string> json = state_.toJSON();
    if (!json) return;
    defaults_->write({{kSettingsKey, std::move(*json)}});
}

void ReviewPrompt::notePressure(PressureLevel level) {
    level_ = level;
    if (level != PressureLevel::normal && !state_.sawStrain) {
        state_.sawStrain = true;
        save();
    }
}

void ReviewPrompt::panelDidOpen() {
    const Date now = now_();
    if (state_.panelOpens < INT64_MAX) ++state_.panelOpens;
    std::vector<std::string> &days = state_.activeDays;
    if (const std::string today = dayKey(now);
        std::find(days.begin(), days.end(), today) == days.end()) {
        days.push_back(today);
    }
    if (days.size() > kMaxActiveDays) days.erase(days.begin(), days.end() - kMaxActiveDays);
    save();
    openedAt_ = now;
    const double wait = (policy_.minDwellSeconds + kDwellMargin) * 1000;
    dwellTimer_->start(std::isfinite(wait) ? static_cast<int>(std::clamp(wait, 0.0, 1e9)) : 0);
}

void ReviewPrompt::panelDidClose() {
    dwellTimer_->stop();
    openedAt_.reset();
}

void ReviewPrompt::dwellCheck() {
    if (!openedAt_) return;
    consider(std::chrono::duration<double>(now_() - *openedAt_).count());
}

void ReviewPrompt::consider(double dwellSeconds) {
    const Date now = now_();
    if (!ReviewPromptEngine::evaluate(state_, version_, level_, dwellSeconds, now, policy_).asks())
        return;
    state_.lastRequestVersion = version_;
    state_.lastRequestDate = now;
    save();
    QWidget *anchor = presentingController ? presentingController() : nullptr;
    if (performRequest_) performRequest_(anchor);
}

} // namespace quorvel
