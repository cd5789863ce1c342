#include "UI/AppIconView.h"

#include <QPainter>

#include "UI/Toolkit/Shapes.h"
#include "Util/IconProvider.h"

namespace quorvel {

AppIconView::AppIconView(int side, double cornerRadius, QWidget *parent)
    : QWidget(parent)
    , cornerRadius_(cornerRadius) {
    setFixedSize(side, side);
}

void AppIconView::setApplication(const std::optional<std::string> &appPath) {
    if (known_ && appPath == appPath_) return;
    known_ = true;
    appPath_ = appPath;
    update();
}

void AppIconView::setIconOpacity(double opacity) {
    if (opacity == opacity_) return;
    opacity_ = opacity;
    update();
}

void AppIconView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipPath(Shapes::roundedRect(rect(), cornerRadius_));
    painter.setOpacity(opacity_);
    const qreal ratio = devicePixelRatioF();
    painter.drawPixmap(rect(), IconProvider::icon(appPath_).pixmap(size(), ratio));
}

} // namespace quorvel
