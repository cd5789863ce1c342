#include "UI/MASRootView.h"

#include <QLayout>

#include "App/EndRun.h"
#include "App/MASModel.h"
#include "UI/HealthReadout.h"
#include "UI/PanelOutlineButton.h"
#include "UI/PressureHeaderView.h"
#include "UI/RunningAppsCard.h"
#include "UI/Theme.h"
#include "UI/Toolkit/DarkScheme.h"
#include "UI/Toolkit/Divider.h"
#include "UI/Toolkit/LinkButton.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/Stacks.h"
#include "UI/Toolkit/Typography.h"
#include "Util/L10n.h"

namespace quorvel {

MASRootView::MASRootView(MASModel &model, QWidget *parent)
    : PanelBackground(parent)
    , model_(model)
    , header_(new PressureHeaderView(false, this))
    , health_(new HealthReadout(this))
    , card_(new RunningAppsCard(this)) {
    applyDarkScheme(this, Theme::green());
    setFixedWidth(kWidth);
    auto *stack = vstack(0, this);
    stack->addWidget(header_);
    stack->addWidget(new Divider(Theme::hairline(), this));
    stack->addWidget(health_);
    stack->addWidget(new Divider(Theme::hairline(), this));
    auto *cardInsets = vstack(0, nullptr, Insets{16, 12, 16, 12});
    cardInsets->addWidget(card_);
    stack->addLayout(cardInsets);

    auto *footer = hstack(10, nullptr, Insets{16, 2, 16, 14});
    rate_ = new LinkButton(PanelOutlineButton(), qtText(L10n::t("mas.footer.rate")), "star",
                           ReviewPrompt::writeReviewURL(), this);
    rate_->setLabelSpacing(5);
    rate_->setToolTip(qtText(L10n::t("mas.footer.rate.help")));
    quit_ = new StyledButton(PanelOutlineButton(), qtText(L10n::t("mas.footer.quit")), {}, this);
    connect(quit_, &QAbstractButton::clicked, this, [] { endRun(); });
    // Names for whoever drives the panel from outside.
    rate_->setObjectName(QStringLiteral("mas:rate"));
    quit_->setObjectName(QStringLiteral("mas:quit"));
    footer->addWidget(rate_);
    addFlexibleSpace(footer);
    footer->addWidget(quit_);
    stack->addLayout(footer);

    showPressure();
    header_->setHistory(model.usageHistory());
    card_->setCount(model.runningApps().size());
    connect(&model, &MASModel::pressureChanged, this, &MASRootView::showPressure);
    connect(
        &model, &MASModel::usageHistoryChanged, header_,
        [header = header_](const std::vector<double> &history) { header->setHistory(history); });
    connect(&model, &MASModel::runningAppsChanged, card_,
            [card = card_](const std::vector<RunningApp> &apps) { card->setCount(apps.size()); });
}

void MASRootView::showPressure() {
    const PressureSnapshot &pressure = model_.pressure();
    header_->setPressure(pressure);
    if (pressure.vm) health_->setReading(pressure.level, *pressure.vm);
    health_->setVisible(pressure.vm.has_value());
    // Wrapped sentences may now take other line counts; cached heights go.
    health_->layout()->invalidate();
    layout()->invalidate();
}

} // namespace quorvel
