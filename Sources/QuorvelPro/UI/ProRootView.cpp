#include "UI/ProRootView.h"

#include "App/ProModel.h"
#include "UI/PressureHeaderView.h"
#include "UI/Theme.h"
#include "UI/Toolkit/DarkScheme.h"
#include "UI/Toolkit/Divider.h"
#include "UI/Toolkit/Stacks.h"

namespace quorvel {

ProRootView::ProRootView(ProModel &model, QWidget *parent)
    : PanelBackground(parent)
    , header_(new PressureHeaderView(true, this)) {
    applyDarkScheme(this, Theme::green());
    setFixedWidth(kWidth);
    auto *stack = vstack(0, this);
    stack->addWidget(header_);
    stack->addWidget(new Divider(Theme::hairline(), this));

    header_->setPressure(model.pressure());
    header_->setHistory(model.usageHistory());
    connect(&model, &ProModel::pressureChanged, header_, &PressureHeaderView::setPressure);
    connect(
        &model, &ProModel::usageHistoryChanged, header_,
        [header = header_](const std::vector<double> &history) { header->setHistory(history); });
}

} // namespace quorvel
