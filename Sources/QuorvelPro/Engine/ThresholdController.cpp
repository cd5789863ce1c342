#include "Engine/ThresholdController.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "Defaults/SettingsDefaultsStore.h"
#include "Notifications/FreedesktopNotifier.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

// Rules that share an id would share their breach clocks and cooldown and
// could not be edited apart: later ones get ids of their own.
std::vector<ThresholdRule> withDistinctIDs(std::vector<ThresholdRule> rules) {
    std::set<Uuid> seen;
    for (ThresholdRule &rule : rules) {
        while (!seen.insert(rule.id).second) rule.id = Uuid::random();
    }
    return rules;
}

std::string overLimitText(const ThresholdRule &rule, const AppGroup &group) {
    return L10n::t("governance.notify.body.atOverLimit", group.displayName,
                   Format::bytes(group.current), Format::bytes(rule.limitBytes),
                   L10n::plural("pro.rules.minutes", wholeMinutes(rule.sustainedSeconds)));
}

// The key that holds, or is to hold, the copy of unreadable stored rules:
// the first copy key that is free or holds these very bytes, so a copy made
// earlier of other rules is never overwritten.
std::string copyKeyFor(const platform::DefaultsStore &defaults, const std::string &stored) {
    constexpr int kCopies = 100;
    for (int n = 1;; ++n) {
        std::string key(ThresholdController::kUnreadableRulesKey);
        if (n > 1) key += "." + std::to_string(n);
        if (n == kCopies || !defaults.contains(key) || defaults.dataValue(key) == stored)
            return key;
    }
}

} // namespace

ThresholdController::Dependencies ThresholdController::liveDependencies(ProcessGovernor *governor) {
    return {governor,
            std::make_shared<platform::SettingsDefaultsStore>(
                platform::SettingsDefaultsStore::userFile()),
            platform::FreedesktopNotifier::forSessionBus()};
}

ThresholdController::ThresholdController(Dependencies dependencies, QObject *parent)
    : QObject(parent)
    , dependencies_(std::move(dependencies)) {
    load();
}

void ThresholdController::load() {
    automaticGovernanceOn_ = dependencies_.defaults->boolValue(kMasterKey).value_or(false);
    const std::optional<std::string> stored = dependencies_.defaults->dataValue(kRulesKey);
    if (!stored) return;
    if (std::optional<std::vector<ThresholdRule>> decoded = decodeRules(*stored))
        rules_ = withDistinctIDs(std::move(*decoded));
    else
        unreadableCopyKey_ = copyKeyFor(*dependencies_.defaults, *stored);
}

void ThresholdController::save() {
    if (!persists_) return;
    platform::DefaultsStore &defaults = *dependencies_.defaults;
    std::vector<platform::DefaultsEntry> entries{{std::string(kMasterKey), automaticGovernanceOn_}};
    if (std::optional<std::string> encoded = encodeRules(rules_)) {
        const std::optional<std::string> stored = defaults.dataValue(kRulesKey);
        if (stored && !decodeRules(*stored)) {
            std::string copyKey = copyKeyFor(defaults, *stored);
            if (!defaults.contains(copyKey)) entries.push_back({std::move(copyKey), *stored});
        }
        entries.push_back({std::string(kRulesKey), std::move(*encoded)});
    }
    // A failed write keeps the previous file; the next save tries again.
    defaults.write(entries);
}

void ThresholdController::setRules(std::vector<ThresholdRule> rules) {
    unreadableCopyKey_.reset();
    publishRules(std::move(rules));
}

void ThresholdController::publishRules(std::vector<ThresholdRule> rules) {
    rules_ = std::move(rules);
    emit rulesChanged(rules_);
}

void ThresholdController::setAutomaticGovernanceOn(bool on) {
    automaticGovernanceOn_ = on;
    emit automaticGovernanceChanged(automaticGovernanceOn_);
    save();
}

bool ThresholdController::isArmed() const {
    return automaticGovernanceOn_ &&
           std::ranges::any_of(rules_, [](const ThresholdRule &rule) { return rule.isEnabled; });
}

std::string ThresholdController::unreadableRulesNotice() const {
    if (!unreadableCopyKey_) return {};
    return L10n::t("pro.rules.unreadable", *unreadableCopyKey_, dependencies_.defaults->location());
}

std::string ThresholdController::shellExtensionNotice() const {
    const ProcessGovernor *governor = dependencies_.governor;
    if (!governor || !governor->awaitsShellExtension()) return {};
    return L10n::t("pro.notice.shellExtension");
}

void ThresholdController::addRule(const std::string &appKey, const std::string &appName) {
    std::vector<ThresholdRule> rules = rules_;
    rules.push_back({Uuid::random(), appKey, appName, kNewRuleLimitBytes, kNewRuleSustainedSeconds,
                     RuleAction::notify, false});
    publishRules(std::move(rules));
    save();
}

void ThresholdController::update(const ThresholdRule &rule) {
    const auto found = std::ranges::find(rules_, rule.id, &ThresholdRule::id);
    if (found == rules_.end()) return;
    std::vector<ThresholdRule> rules = rules_;
    rules[static_cast<std::size_t>(found - rules_.begin())] = rule;
    publishRules(std::move(rules));
    save();
}

void ThresholdController::removeRule(const Uuid &id) {
    std::vector<ThresholdRule> rules = rules_;
    std::erase_if(rules, [&](const ThresholdRule &rule) { return rule.id == id; });
    publishRules(std::move(rules));
    save();
}

void ThresholdController::onSample(const std::vector<AppGroup> &groups) {
    if (!automaticGovernanceOn_) return;
    std::map<std::string, uint64_t, std::less<>> usage;
    std::map<std::string_view, const AppGroup *> groupsByKey;
    for (const AppGroup &group : groups) {
        usage.emplace(group.key, group.current);
        groupsByKey.emplace(group.key, &group);
    }
    const std::vector<ThresholdEngine::Decision> decisions =
        engine_.evaluate(rules_, usage, dependencies_.now());
    for (const ThresholdEngine::Decision &decision : decisions) {
        const auto group = groupsByKey.find(decision.appKey);
        const auto rule = std::ranges::find(rules_, decision.ruleID, &ThresholdRule::id);
        if (group == groupsByKey.end() || rule == rules_.end()) continue;
        apply(*rule, *group->second);
    }
}

void ThresholdController::apply(const ThresholdRule &rule, const AppGroup &group) {
    std::string body = overLimitText(rule, group);
    if (rule.action == RuleAction::notify) {
        notify(L10n::t("governance.notify.overLimit.title", group.displayName), body);
        if (dependencies_.governor) {
            dependencies_.governor->record(ActionRecord::make(
                GovernanceAction::notify, group.displayName,
                L10n::t("governance.detail.automatic", body), true, dependencies_.wallNow()));
        }
        return;
    }
    // A stopped application cannot quit when asked and needs no second
    // freeze; announcing either would repeat every cooldown.
    if (group.isStopped || !dependencies_.governor) return;
    if (rule.action == RuleAction::suspend) {
        if (dependencies_.governor->suspend(group, true)) {
            notify(L10n::t("governance.notify.suspended.title", group.displayName),
                   L10n::t("governance.notify.body.suspended", body));
        }
        return;
    }
    // The texts describe the application as it was when the rule fired.
    dependencies_.governor->restart(
        group, true,
        [controller = QPointer(this),
         title = L10n::t("governance.notify.restarted.title", group.displayName),
         text = L10n::t("governance.notify.body.restarted", body)](bool success) mutable {
            if (success && controller) controller->notify(std::move(title), std::move(text));
        });
}

void ThresholdController::notify(std::string title, std::string body) {
    if (dependencies_.notifier) dependencies_.notifier->post(std::move(title), std::move(body));
}

} // namespace quorvel
