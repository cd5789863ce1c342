#include "UI/MenuContent.h"

#include "App/EndRun.h"
#include "App/ProModel.h"
#include "Engine/ProcessGovernor.h"
#include "Engine/ThresholdController.h"
#include "UI/ApplicationList.h"
#include "UI/FocusBanner.h"
#include "UI/FocusSelectView.h"
#include "UI/GovernanceConfirmation.h"
#include "UI/GroupRow.h"
#include "UI/HistoryView.h"
#include "UI/PanelFooter.h"
#include "UI/PressureHeaderView.h"
#include "UI/Theme.h"
#include "UI/ThresholdRulesView.h"
#include "UI/Toolkit/Announcer.h"
#include "UI/Toolkit/Divider.h"
#include "UI/Toolkit/Keyboard.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/Stacks.h"
#include "UI/Toolkit/StyledButton.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

// A box of its own for a part and the hairline under it, so the two come and
// go together.
QWidget *withHairlineBelow(QWidget *part, QWidget *parent) {
    auto *box = new QWidget(parent);
    auto *stack = vstack(0, box);
    stack->addWidget(part);
    stack->addWidget(new Divider(Theme::hairline(), box));
    return box;
}

} // namespace

MenuContent::MenuContent(ProModel &model, PanelMode initialMode, QWidget *confirmationPanel,
                         QWidget *parent)
    : QWidget(parent)
    , model_(model)
    , initialMode_(initialMode) {
    ProcessGovernor &governor = model.governor();
    confirmation_ = new GovernanceConfirmation(governor, confirmationPanel);
    header_ = new PressureHeaderView(true, this);
    // Made first, so that a screen reader reads the header first.
    QWidget *headerBox = withHairlineBelow(header_, this);
    banner_ = new FocusBanner([&governor] { governor.exitFocus(); }, this);
    bannerBox_ = withHairlineBelow(banner_, this);
    list_ =
        new ApplicationList(governor,
                            {[this](const AppGroup &group) {
                                 confirmation_->request(group, PendingGovernance::Kind::suspend);
                             },
                             [&governor](const AppGroup &group) { governor.resume(group); },
                             [this](const AppGroup &group) {
                                 confirmation_->request(group, PendingGovernance::Kind::restart);
                             }},
                            this);
    focusSelect_ = new FocusSelectView([this] { confirmFocus(); },
                                       [this] { setMode(PanelMode::normal); }, this);
    history_ = new HistoryView([this] { setMode(PanelMode::normal); }, this);
    rules_ = new ThresholdRulesView(
        model.thresholds(), [this] { setMode(PanelMode::normal); }, this);
    footer_ = new PanelFooter({[this] { enterSelect(); }, [&governor] { governor.exitFocus(); },
                               [this] { setMode(PanelMode::history); },
                               [&model](double seconds) { model.setInterval(seconds); },
                               [this] { setMode(PanelMode::rules); }, [] { endRun(); }},
                              this);
    footerBox_ = new QWidget(this);
    auto *footerStack = vstack(0, footerBox_);
    footerStack->addWidget(new Divider(Theme::hairline(), footerBox_));
    footerStack->addWidget(footer_);

    auto *stack = vstack(0, this);
    stack->addWidget(headerBox);
    for (QWidget *part :
         {bannerBox_, static_cast<QWidget *>(list_), static_cast<QWidget *>(focusSelect_),
          static_cast<QWidget *>(history_), static_cast<QWidget *>(rules_), footerBox_})
        stack->addWidget(part);

    header_->setPressure(model.pressure());
    header_->setHistory(model.usageHistory());
    connect(&model, &ProModel::pressureChanged, header_, &PressureHeaderView::setPressure);
    connect(&model, &ProModel::usageHistoryChanged, header_,
            [this](const std::vector<double> &history) { header_->setHistory(history); });
    connect(&model, &ProModel::groupsChanged, this, &MenuContent::showGroups);
    connect(&model, &ProModel::intervalSecondsChanged, footer_, &PanelFooter::setIntervalSeconds);
    connect(&governor, &ProcessGovernor::focusSessionChanged, this, &MenuContent::showFocusSession);
    connect(&governor, &ProcessGovernor::historyChanged, history_, &HistoryView::setHistory);
    ThresholdController &thresholds = model.thresholds();
    connect(&thresholds, &ThresholdController::rulesChanged, this, &MenuContent::refreshFooter);
    connect(&thresholds, &ThresholdController::automaticGovernanceChanged, this,
            &MenuContent::refreshFooter);
    history_->setHistory(governor.history());
    // What a rule did on its own is news to whoever has the panel open.
    announcer_ = new Announcer(this);
    connect(&governor, &ProcessGovernor::automaticActionTaken, this,
            [this](const ActionRecord &record) {
                if (!window()->isVisible()) return;
                announcer_->announce(qtText(L10n::t("a11y.announce.action",
                                                    displayName(record.action, L10n::shared()),
                                                    record.appName, record.detail)));
            });
    footer_->setIntervalSeconds(model.intervalSeconds());
    showGroups();
    showFocusSession();
    setMode(initialMode_);
}

void MenuContent::setMode(PanelMode mode) {
    mode_ = mode;
    list_->setVisible(mode == PanelMode::normal);
    focusSelect_->setVisible(mode == PanelMode::focusSelect);
    history_->setVisible(mode == PanelMode::history);
    rules_->setVisible(mode == PanelMode::rules);
    footerBox_->setVisible(mode == PanelMode::normal || mode == PanelMode::focusSelect);
    footer_->setPickerOpen(mode == PanelMode::focusSelect);
}

void MenuContent::reset() {
    confirmation_->cancel();
    focusSelect_->setSelected({});
    setMode(initialMode_);
}

QWidget *MenuContent::firstControl() const {
    const std::vector<AppGroup> &groups = model_.groups();
    if (mode_ != PanelMode::normal) return nullptr;
    if (groups.empty()) return const_cast<MenuContent *>(this);
    return list_->row(groups.front().key);
}

void MenuContent::enterSelect() {
    std::set<std::string> hogs;
    const std::vector<AppGroup> candidates = model_.focusCandidates();
    for (const AppGroup &candidate : candidates) {
        if (candidate.isKnownHog) hogs.insert(candidate.key);
    }
    focusSelect_->setCandidates(candidates);
    focusSelect_->setSelected(std::move(hogs));
    setMode(PanelMode::focusSelect);
}

void MenuContent::confirmFocus() {
    focusSelect_->setCandidates(model_.focusCandidates());
    const std::vector<AppGroup> targets = focusSelect_->selectedCandidates();
    model_.governor().enterFocus(targets);
    setMode(PanelMode::normal);
}

void MenuContent::showGroups() {
    list_->showGroups(model_.groups());
    // Rows come with samples, after the footer: Tab reads down the panel.
    std::vector<QWidget *> order{banner_->exitButton()};
    for (const AppGroup &group : model_.groups()) {
        if (GroupRow *row = list_->row(group.key)) order.push_back(row);
    }
    order.insert(order.end(), {footer_->enterButton(), footer_->exitButton(),
                               footer_->historyButton(), footer_->settingsButton()});
    chainTabOrder(order);
    // The panel was opened from the keyboard before there was a row to start on.
    if (hasFocus()) {
        if (QWidget *row = firstControl(); row != this) row->setFocus(Qt::TabFocusReason);
    }
    rules_->setCandidates(model_.groups());
    focusSelect_->setCandidates(model_.focusCandidates());
    refreshFooter();
}

void MenuContent::showFocusSession() {
    const std::optional<FocusSession> &session = model_.governor().focusSession();
    if (session) banner_->setSession(*session);
    bannerBox_->setVisible(session.has_value());
    refreshFooter();
}

void MenuContent::refreshFooter() {
    footer_->setFocusState(model_.governor().focusSession().has_value(),
                           !model_.focusCandidates().empty());
    footer_->setRulesArmed(model_.thresholds().isArmed());
}

} // namespace quorvel
