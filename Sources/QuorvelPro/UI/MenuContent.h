#pragma once

#include <QWidget>

#include <set>
#include <string>

#include "UI/PanelMode.h"

namespace quorvel {

class Announcer;
class ApplicationList;
class FocusBanner;
class FocusSelectView;
class GovernanceConfirmation;
class HistoryView;
class PanelFooter;
class PressureHeaderView;
class ProModel;
class ThresholdRulesView;

// The panel's body: the pressure header, the focus banner while a session
// runs, and by mode the application list, the focus picker, the history or
// the rules editor, with the footer under the list and the picker. It acts
// only through the model and its governor and shows what they publish next.
class MenuContent : public QWidget {
    Q_OBJECT
public:
    MenuContent(ProModel &model, PanelMode initialMode, QWidget *confirmationPanel,
                QWidget *parent = nullptr);

    PanelMode mode() const { return mode_; }
    void setMode(PanelMode mode);
    // Back to the first screen with nothing chosen or pending, as a panel
    // opened afresh.
    void reset();

    // Preselects the known memory hogs among the candidates and opens the
    // picker.
    void enterSelect();
    // Freezes the chosen candidates, in candidate order, and goes back.
    void confirmFocus();

    // The first row of the list; before the first sample the body itself,
    // whose first row takes the focus when it comes; on another screen null,
    // for the order of the controls to say.
    QWidget *firstControl() const;

    PressureHeaderView *header() const { return header_; }
    // Hidden while no focus session runs.
    QWidget *focusBannerBox() const { return bannerBox_; }
    FocusBanner *focusBanner() const { return banner_; }
    ApplicationList *list() const { return list_; }
    FocusSelectView *focusSelect() const { return focusSelect_; }
    HistoryView *history() const { return history_; }
    ThresholdRulesView *rules() const { return rules_; }
    PanelFooter *footer() const { return footer_; }
    GovernanceConfirmation *confirmation() const { return confirmation_; }

private:
    void showGroups();
    void showFocusSession();
    void refreshFooter();

    ProModel &model_;
    PanelMode initialMode_;
    PanelMode mode_ = PanelMode::normal;
    PressureHeaderView *header_;
    QWidget *bannerBox_;
    FocusBanner *banner_;
    ApplicationList *list_;
    FocusSelectView *focusSelect_;
    HistoryView *history_;
    ThresholdRulesView *rules_;
    QWidget *footerBox_;
    PanelFooter *footer_;
    GovernanceConfirmation *confirmation_;
    Announcer *announcer_;
};

} // namespace quorvel
