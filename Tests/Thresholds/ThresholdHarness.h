#pragma once

#include <chrono>
#include <memory>
#include <vector>

#include "Defaults/InMemoryDefaultsStore.h"
#include "Engine/ThresholdController.h"
#include "Governance/GovernorHarness.h"
#include "Notifications/RecordingNotifier.h"

namespace quorvel::testing {

// A controller on the in-memory desktop's governor, with in-memory defaults,
// a notifier that records and a monotonic clock the test moves.
struct ThresholdHarness {
    GovernorHarness governance;
    std::shared_ptr<platform::InMemoryDefaultsStore> defaults =
        std::make_shared<platform::InMemoryDefaultsStore>();
    std::shared_ptr<platform::Notifier> notifier = std::make_shared<platform::RecordingNotifier>();
    ThresholdEngine::Clock::time_point start{std::chrono::hours(100)};
    ThresholdEngine::Clock::time_point time = start;
    std::unique_ptr<ThresholdController> controller;

    ThresholdController &make() {
        controller = std::make_unique<ThresholdController>(ThresholdController::Dependencies{
            governance.governor.get(), defaults, notifier, [this] { return time; },
            [this] { return governance.time; }});
        return *controller;
    }

    // One sample at `seconds` after the start.
    void sampleAt(double seconds, const std::vector<AppGroup> &groups) {
        time = start + std::chrono::duration_cast<ThresholdEngine::Clock::duration>(
                           std::chrono::duration<double>(seconds));
        controller->onSample(groups);
    }

    const std::vector<platform::Notification> &posted() const {
        return static_cast<const platform::RecordingNotifier &>(*notifier).posted();
    }
    const std::vector<ActionRecord> &history() const { return governance.governor->history(); }
};

} // namespace quorvel::testing
