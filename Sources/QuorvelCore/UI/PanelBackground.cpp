#include "UI/PanelBackground.h"

#include <QPainter>

#include "UI/Theme.h"
#include "UI/Toolkit/Shapes.h"

namespace quorvel {

PanelBackground::PanelBackground(QWidget *parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PanelBackground::paint(QPainter &painter, const QRectF &bounds) {
    painter.fillRect(bounds,
                     Shapes::verticalGradient(bounds, Theme::panelTop(), Theme::panelBottom()));
    const QPointF topCentre(bounds.center().x(), bounds.top());
    painter.fillRect(bounds, Shapes::radialGradient(topCentre, 2, 320,
                                                    Theme::withOpacity(Theme::green(), 0.08),
                                                    Theme::withOpacity(Theme::green(), 0)));
}

void PanelBackground::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    paint(painter, rect());
}

} // namespace quorvel
