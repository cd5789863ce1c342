#include "Engine/ThresholdEngine.h"

#include <set>

namespace quorvel {
namespace {

bool isOverLimit(const ThresholdRule &rule,
                 const std::map<std::string, uint64_t, std::less<>> &usage) {
    if (!rule.isEnabled) return false;
    const auto found = usage.find(rule.appKey);
    return found != usage.end() && found->second > rule.limitBytes;
}

double secondsBetween(ThresholdEngine::Clock::time_point from,
                      ThresholdEngine::Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

template <typename Map> void keepOnly(Map &map, const std::set<Uuid> &ids) {
    std::erase_if(map, [&](const auto &entry) { return !ids.contains(entry.first); });
}

} // namespace

std::vector<ThresholdEngine::Decision>
ThresholdEngine::evaluate(const std::vector<ThresholdRule> &rules,
                          const std::map<std::string, uint64_t, std::less<>> &usage,
                          Clock::time_point now) {
    std::vector<Decision> decisions;
    std::set<Uuid> seen;
    for (const ThresholdRule &rule : rules) {
        seen.insert(rule.id);
        if (!isOverLimit(rule, usage)) {
            breachStart_.erase(rule.id);
            continue;
        }
        const Clock::time_point start = breachStart_.try_emplace(rule.id, now).first->second;
        // A time that is not a number holds nothing back, as zero would.
        if (secondsBetween(start, now) < rule.sustainedSeconds) continue;
        const auto fired = lastFired_.find(rule.id);
        if (fired != lastFired_.end() && now - fired->second < kCooldown) continue;
        lastFired_.insert_or_assign(rule.id, now);
        breachStart_.insert_or_assign(rule.id, now);
        decisions.push_back({rule.id, rule.appKey, rule.action});
    }
    keepOnly(breachStart_, seen);
    keepOnly(lastFired_, seen);
    return decisions;
}

} // namespace quorvel
