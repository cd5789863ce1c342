#include "UI/PanelFooter.h"

#include <QMenu>

#include <cstdio>

#include "App/LoginStart.h"

#include "UI/GreenCTAButton.h"
#include "UI/PanelIconButton.h"
#include "UI/PanelOutlineButton.h"
#include "UI/Theme.h"
#include "UI/Toolkit/Describable.h"
#include "UI/Toolkit/Opacity.h"
#include "UI/Toolkit/PopupMenu.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/Stacks.h"
#include "UI/Toolkit/StyledButton.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

constexpr double kDisabledOpacity = 0.5;

ButtonStyle exitStyle() {
    ButtonStyle style = PanelOutlineButton();
    style.labelColor = Theme::amber();
    style.stretchesToWidth = true;
    return style;
}

} // namespace

PanelFooter::PanelFooter(Actions actions, QWidget *parent)
    : QWidget(parent)
    , actions_(std::move(actions))
    , enter_(new StyledButton(GreenCTAButton(), qtText(L10n::t("pro.focus.enter")), "moon.zzz.fill",
                              this))
    , exit_(new StyledButton(exitStyle(), qtText(L10n::t("pro.focus.exit")), "play.circle.fill",
                             this))
    , history_(new StyledButton(PanelIconButton(), QString(), "clock.arrow.circlepath", this))
    , settings_(new StyledButton(PanelIconButton(), QString(), "gearshape", this))
    , menu_(new QMenu(this)) {
    enter_->setLabelSpacing(8);
    enter_->setObjectName(QStringLiteral("footer:enterFocus"));
    exit_->setObjectName(QStringLiteral("footer:exitFocus"));
    history_->setObjectName(QStringLiteral("footer:history"));
    settings_->setObjectName(QStringLiteral("footer:settings"));
    history_->setToolTip(qtText(L10n::t("pro.history.help")));
    history_->setAccessibleName(history_->toolTip());
    settings_->setAccessibleName(qtText(L10n::t("a11y.settings")));
    attachPopupMenu(settings_, menu_);
    connect(enter_, &QAbstractButton::clicked, this, [this] { actions_.enterSelect(); });
    connect(exit_, &QAbstractButton::clicked, this, [this] { actions_.exitFocus(); });
    connect(history_, &QAbstractButton::clicked, this, [this] { actions_.showHistory(); });

    auto *row = hstack(10, this, Insets{16, 14, 16, 14});
    row->addWidget(enter_, 1, Qt::AlignVCenter);
    row->addWidget(exit_, 1, Qt::AlignVCenter);
    // Takes room only while neither focus button shows, keeping the other two
    // at the right.
    row->addStretch();
    row->addWidget(history_, 0, Qt::AlignVCenter);
    row->addWidget(settings_, 0, Qt::AlignVCenter);
    setFocusState(false, false);
    buildMenu();
}

void PanelFooter::setFocusState(bool sessionActive, bool hasCandidates) {
    sessionActive_ = sessionActive;
    exit_->setVisible(sessionActive);
    enter_->setVisible(!sessionActive && !pickerOpen_);
    enter_->setEnabled(hasCandidates);
    setSpokenDescription(enter_,
                         hasCandidates ? QString() : qtText(L10n::t("a11y.focus.noCandidates")));
    setDrawnOpacity(enter_, hasCandidates ? 1.0 : kDisabledOpacity);
}

void PanelFooter::setPickerOpen(bool open) {
    pickerOpen_ = open;
    enter_->setVisible(!sessionActive_ && !pickerOpen_);
}

void PanelFooter::setIntervalSeconds(double seconds) {
    setPickerValue(interval_, seconds);
}

void PanelFooter::setRulesArmed(bool armed) {
    rules_->setText(qtText(L10n::t(armed ? "pro.settings.rules.armed" : "pro.settings.rules")));
}

void PanelFooter::buildMenu() {
    // The interval labels are the same in every language.
    interval_ = addPicker(
        menu_, qtText(L10n::t("pro.settings.refreshInterval")),
        {{QStringLiteral("1s"), 1.0}, {QStringLiteral("2s"), 2.0}, {QStringLiteral("5s"), 5.0}},
        QVariant(),
        [this](const QVariant &seconds) { actions_.chooseInterval(seconds.toDouble()); });
    menu_->addSeparator();
    rules_ = menu_->addAction(QString(), this, [this] { actions_.showRules(); });
    setRulesArmed(false);
    loginStart_ = menu_->addAction(qtText(L10n::t("pro.settings.startAtLogin")));
    loginStart_->setCheckable(true);
    connect(loginStart_, &QAction::triggered, this, [this](bool on) {
        if (const QString problem = LoginStart::setOn(on); !problem.isEmpty())
            std::fputs(("quorvel: " + problem.toStdString() + "\n").c_str(), stderr);
        loginStart_->setChecked(LoginStart::isOn());
    });
    // Read again at every opening: the entry may have been removed by hand
    // or by the desktop's own settings meanwhile.
    connect(menu_, &QMenu::aboutToShow, this,
            [this] { loginStart_->setChecked(LoginStart::isOn()); });
    loginStart_->setChecked(LoginStart::isOn());
    menu_->addSeparator();
    menu_->addAction(qtText(L10n::t("pro.settings.quit")), this, [this] { actions_.quit(); });
}

} // namespace quorvel
