#pragma once

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Defaults/DefaultsStore.h"
#include "Engine/ProcessGovernor.h"
#include "Engine/ThresholdEngine.h"
#include "Model/AppGroup.h"
#include "Model/ThresholdRule.h"
#include "Notifications/Notifier.h"

namespace quorvel {

// Owns the user's threshold rules and the master switch, keeps both in the
// defaults store, and on every sample lets the engine pick the rules that
// fire and carries them out: notifies, or has the governor freeze or restart
// the application and announces it. Every assignment of `rules` or of the
// switch emits its change signal, equal values included. Main thread only.
class ThresholdController final : public QObject {
    Q_OBJECT
public:
    static constexpr std::string_view kRulesKey = "quorvel.threshold.rules";
    static constexpr std::string_view kMasterKey = "quorvel.threshold.automatic";
    // Where stored rules that could not be read go before a save replaces
    // them, so that nothing the user made is lost. Another unreadable list,
    // later, goes under this key with ".2", ".3" and so on after it.
    static constexpr std::string_view kUnreadableRulesKey = "quorvel.threshold.rules.unreadable";

    // What `addRule` starts with: 6 GiB for 5 minutes, notify, switched off.
    static constexpr uint64_t kNewRuleLimitBytes = 6ull << 30;
    static constexpr double kNewRuleSustainedSeconds = 300;

    struct Dependencies {
        QPointer<ProcessGovernor> governor; // outlives the controller
        std::shared_ptr<platform::DefaultsStore> defaults;
        std::shared_ptr<platform::Notifier> notifier; // null: nothing is shown
        // Breach clocks and cooldowns run on this clock.
        std::function<ThresholdEngine::Clock::time_point()> now = &ThresholdEngine::Clock::now;
        // History records carry this time.
        std::function<ActionRecord::Clock::time_point()> wallNow = &ActionRecord::Clock::now;
    };

    // The user's settings file and the session bus's notification service.
    static Dependencies liveDependencies(ProcessGovernor *governor);

    // Loads the stored switch and rules; loading writes nothing.
    explicit ThresholdController(Dependencies dependencies, QObject *parent = nullptr);

    const std::vector<ThresholdRule> &rules() const { return rules_; }
    // Publishes without saving, for a demo.
    void setRules(std::vector<ThresholdRule> rules);

    bool isAutomaticGovernanceOn() const { return automaticGovernanceOn_; }
    // Publishes and saves.
    void setAutomaticGovernanceOn(bool on);

    // The switch is on and at least one rule is enabled.
    bool isArmed() const;

    // When the stored rules could not be read at load, so none is in use:
    // the sentence telling the user so and where they are kept. Empty
    // otherwise, and once a demo has put rules of its own in place.
    std::string unreadableRulesNotice() const;
    // What the user can do so that rules see the app in use, or nothing.
    std::string shellExtensionNotice() const;

    // When false, saving writes nothing.
    bool persists() const { return persists_; }
    void setPersists(bool persists) { persists_ = persists; }

    // Each publishes the changed rules and saves. `update` replaces the first
    // rule with the same id and does nothing at all when there is none.
    void addRule(const std::string &appKey, const std::string &appName);
    void update(const ThresholdRule &rule);
    void removeRule(const Uuid &id);

    // The groups just sampled; evaluated only while the switch is on.
    void onSample(const std::vector<AppGroup> &groups);

signals:
    void rulesChanged(const std::vector<quorvel::ThresholdRule> &rules);
    void automaticGovernanceChanged(bool on);

private:
    void load();
    void save();
    void publishRules(std::vector<ThresholdRule> rules);
    void apply(const ThresholdRule &rule, const AppGroup &group);
    void notify(std::string title, std::string body);

    Dependencies dependencies_;
    std::vector<ThresholdRule> rules_;
    bool automaticGovernanceOn_ = false;
    bool persists_ = true;
    // The key that keeps the stored rules found unreadable at load.
    std::optional<std::string> unreadableCopyKey_;
    ThresholdEngine engine_;
};

} // namespace quorvel
