#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Model/AppGroup.h"
#include "Model/ThresholdRule.h"
#include "UI/RuleCard.h"
#include "UI/Toolkit/KeyedRows.h"

class QMenu;

namespace quorvel {

class RuleCard;
class StyledButton;
class SwitchToggle;
class TextView;
class ThresholdController;

// The rules screen: the master switch of automatic governance, one card per
// rule and a menu that adds a rule for a sampled application. It keeps
// nothing of its own: every edit goes to the controller, which saves it, and
// comes back as the controller's next rules.
class ThresholdRulesView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaximumHeight = 420;

    ThresholdRulesView(ThresholdController &controller, std::function<void()> onClose,
                       QWidget *parent = nullptr);

    void setCandidates(const std::vector<AppGroup> &candidates);

    SwitchToggle *masterSwitch() const { return master_; }
    TextView *masterStateWord() const { return masterWord_; }
    StyledButton *addButton() const { return add_; }
    QMenu *addMenu() const { return addMenu_; }
    // Shown only while there are no rules.
    TextView *emptyNote() const { return empty_; }
    StyledButton *doneButton() const { return done_; }
    // Present only when the stored rules could not be read.
    TextView *unreadableNote() const { return unreadableNote_; }
    // The cards in rule order.
    std::vector<RuleCard *> cards() const;

private:
    void refresh();
    void rebuildAddMenu();

    QPointer<ThresholdController> controller_;
    std::vector<AppGroup> candidates_;
    std::vector<OfferedApplication> addMenuShows_;
    bool addMenuBuilt_ = false;
    SwitchToggle *master_;
    TextView *masterWord_;
    QWidget *cardBox_;
    StyledButton *add_;
    QMenu *addMenu_;
    TextView *empty_;
    StyledButton *done_;
    TextView *unreadableNote_ = nullptr;
    std::unique_ptr<KeyedRows<ThresholdRule, Uuid>> cards_;
};

} // namespace quorvel
