#include "UI/Toolkit/Shapes.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <QRadialGradient>

#include <algorithm>

namespace quorvel::Shapes {

QPainterPath roundedRect(const QRectF &rect, qreal radius) {
    QPainterPath path;
    const qreal r = std::clamp<qreal>(radius, 0, std::min(rect.width(), rect.height()) / 2);
    path.addRoundedRect(rect, r, r);
    return path;
}

QPainterPath capsule(const QRectF &rect) {
    return roundedRect(rect, std::min(rect.width(), rect.height()) / 2);
}

void fill(QPainter &painter, const QPainterPath &shape, const QBrush &brush) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(shape, brush);
    painter.restore();
}

void strokeInside(QPainter &painter, const QRectF &rect, qreal radius, const QColor &color,
                  qreal lineWidth) {
    const qreal half = lineWidth / 2;
    const QRectF inset = rect.adjusted(half, half, -half, -half);
    if (inset.width() <= 0 || inset.height() <= 0) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, lineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(roundedRect(inset, std::max<qreal>(0, radius - half)));
    painter.restore();
}

void strokePolyline(QPainter &painter, std::span<const QPointF> points, const QColor &color,
                    qreal lineWidth) {
    if (points.size() < 2) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(color, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygonF(QList<QPointF>(points.begin(), points.end())));
    painter.restore();
}

QBrush verticalGradient(const QRectF &rect, const QColor &top, const QColor &bottom) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

QBrush radialGradient(const QPointF &centre, qreal startRadius, qreal endRadius,
                      const QColor &inner, const QColor &outer) {
    QRadialGradient gradient(centre, endRadius, centre, startRadius);
    gradient.setColorAt(0, inner);
    gradient.setColorAt(1, outer);
    return gradient;
}

} // namespace quorvel::Shapes
