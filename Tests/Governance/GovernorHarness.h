#pragma once

#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Engine/ProcessGovernor.h"
#include "Workspace/InMemoryWorkspace.h"

namespace quorvel::testing {

// A group as a sample would hand it over; each pid's process carries a
// start time, name and path of its own.
inline AppGroup application(std::string name, std::optional<std::string> bundleID,
                            std::vector<int32_t> pids, uint64_t current = 64u << 20) {
    AppGroup group;
    group.displayName = std::move(name);
    group.key = "/usr/share/applications/" + bundleID.value_or(group.displayName) + ".desktop";
    group.appPath = group.key;
    group.bundleID = std::move(bundleID);
    group.current = current;
    group.peak = current;
    for (int32_t pid : pids) {
        group.processes.push_back({pid, 1, 1000, 1, current / pids.size(), group.displayName,
                                   "/usr/bin/" + group.displayName, 5000u + uint64_t(pid)});
    }
    return group;
}

// A governor on an in-memory desktop with a clock that moves one second per
// reading and memory readings served from a queue.
struct GovernorHarness {
    using Clock = ProcessGovernor::Clock;

    std::shared_ptr<platform::InMemoryWorkspace> workspace =
        std::make_shared<platform::InMemoryWorkspace>();
    Clock::time_point time = Clock::time_point(std::chrono::seconds(1'700'000'000));
    std::deque<std::optional<VMSnapshot>> readings;
    std::vector<std::size_t> signalsAtReading; // signals sent before each memory reading
    std::unique_ptr<ProcessGovernor> governor;

    GovernorHarness() {
        governor = std::make_unique<ProcessGovernor>(ProcessGovernor::Dependencies{
            workspace,
            [this]() -> std::optional<VMSnapshot> {
                signalsAtReading.push_back(workspace->signalCalls().size());
                if (readings.empty()) return std::nullopt;
                const std::optional<VMSnapshot> reading = readings.front();
                readings.pop_front();
                return reading;
            },
            [this] { return time += std::chrono::seconds(1); }, std::chrono::milliseconds(1),
            std::chrono::milliseconds(1)});
    }

    const ActionRecord &latest() const { return governor->history().front(); }
};

} // namespace quorvel::testing
