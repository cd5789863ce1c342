#include "UI/ProRootView.h"

#include "UI/MenuContent.h"
#include "UI/Theme.h"
#include "UI/Toolkit/DarkScheme.h"
#include "UI/Toolkit/Stacks.h"

namespace quorvel {

ProRootView::ProRootView(ProModel &model, ProPanelScreen initialScreen, QWidget *parent)
    : PanelBackground(parent) {
    applyDarkScheme(this, Theme::green());
    setFixedWidth(kWidth);
    // Named for whoever drives the panel from outside (see WidgetMap).
    setObjectName(QStringLiteral("panel"));
    content_ = new MenuContent(model, panelMode(initialScreen), this, this);
    vstack(0, this)->addWidget(content_);
}

PressureHeaderView *ProRootView::header() const {
    return content_->header();
}

QWidget *ProRootView::firstControl() const {
    return content_->firstControl();
}

void ProRootView::hideEvent(QHideEvent *event) {
    content_->reset();
    PanelBackground::hideEvent(event);
}

} // namespace quorvel
