#pragma once

#include <QBrush>
#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <span>

class QPainter;

// Painting of the few shapes the panel is drawn from. Qt has no continuous
// corner curve; circular corners of the same radius stand in for it.
namespace quorvel::Shapes {

QPainterPath roundedRect(const QRectF &rect, qreal radius);
// A rounded rectangle whose corner radius is half its shorter side.
QPainterPath capsule(const QRectF &rect);

void fill(QPainter &painter, const QPainterPath &shape, const QBrush &brush);
// Strokes the outline inside the shape's edge, so the line never grows the
// shape: the path is inset by half the line width first.
void strokeInside(QPainter &painter, const QRectF &rect, qreal radius, const QColor &color,
                  qreal lineWidth);

// Straight segments through `points` with round caps and joins.
void strokePolyline(QPainter &painter, std::span<const QPointF> points, const QColor &color,
                    qreal lineWidth);

// Top to bottom across `rect`.
QBrush verticalGradient(const QRectF &rect, const QColor &top, const QColor &bottom);
QBrush radialGradient(const QPointF &centre, qreal startRadius, qreal endRadius,
                      const QColor &inner, const QColor &outer);

} // namespace quorvel::Shapes
