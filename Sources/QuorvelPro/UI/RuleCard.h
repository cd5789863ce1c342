#pragma once

#include <QWidget>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "Model/AppGroup.h"
#include "Model/ThresholdRule.h"
#include "UI/CardBackground.h"

class QActionGroup;
class QMenu;

namespace quorvel {

class StyledButton;
class SwitchToggle;
class TextView;

// What a rule will do now: off, waiting for the master switch, or armed to
// notify or to act.
std::string statusLine(const ThresholdRule &rule, bool isMasterOn);

// An application a rule may watch, as its menus list it.
struct OfferedApplication {
    std::string key;
    std::string name;

    bool operator==(const OfferedApplication &) const = default;
};

// The first twelve sampled applications other than Quorvel itself.
std::vector<OfferedApplication> offeredApplications(const std::vector<AppGroup> &candidates);

// One rule as a sentence of pickers: when <app> uses more than <limit> for
// <time>, then <action>; with its switch, a delete button and its status.
// Every edit hands a changed copy of the shown rule to `onChange`.
class RuleCard : public CardBackground {
    Q_OBJECT
public:
    RuleCard(std::function<void(const ThresholdRule &)> onChange, std::function<void()> onDelete,
             QWidget *parent = nullptr);

    void show(const ThresholdRule &rule, const std::vector<AppGroup> &candidates, bool isMasterOn);

    const ThresholdRule &rule() const { return rule_; }
    StyledButton *applicationPicker() const { return application_; }
    StyledButton *limitPicker() const { return limit_; }
    StyledButton *sustainedPicker() const { return sustained_; }
    QMenu *applicationMenu() const { return applicationMenu_; }
    QMenu *limitMenu() const { return limitMenu_; }
    QMenu *sustainedMenu() const { return sustainedMenu_; }
    // In `kAllRuleActions` order.
    const std::array<StyledButton *, 3> &actionButtons() const { return actions_; }
    SwitchToggle *enabledSwitch() const { return switch_; }
    TextView *stateWord() const { return stateWord_; }
    StyledButton *deleteButton() const { return delete_; }
    // The card's controls in reading order.
    std::vector<QWidget *> controls() const;
    TextView *status() const { return status_; }

private:
    void change(const std::function<void(ThresholdRule &)> &edit);
    void buildValuePickers();
    void showOffered(std::vector<OfferedApplication> offered);

    std::function<void(const ThresholdRule &)> onChange_;
    ThresholdRule rule_;
    std::vector<OfferedApplication> offeredShown_;
    bool applicationMenuBuilt_ = false;
    StyledButton *application_;
    StyledButton *limit_;
    StyledButton *sustained_;
    QMenu *applicationMenu_;
    QMenu *limitMenu_;
    QMenu *sustainedMenu_;
    QActionGroup *limitChoices_ = nullptr;
    QActionGroup *sustainedChoices_ = nullptr;
    std::array<StyledButton *, 3> actions_{};
    SwitchToggle *switch_;
    TextView *stateWord_;
    StyledButton *delete_;
    TextView *status_;
};

} // namespace quorvel
