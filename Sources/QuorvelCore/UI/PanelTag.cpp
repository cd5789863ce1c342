#include "UI/PanelTag.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

#include "UI/Toolkit/Shapes.h"
#include "UI/Toolkit/Typography.h"

namespace quorvel {
namespace {

const QMargins kPadding(6, 2, 6, 2);
constexpr double kCornerRadius = 5;

QFont tagFont() {
    return systemFont(9.5, FontWeight::medium, FontDesign::monospaced);
}

} // namespace

PanelTag::PanelTag(const QString &text, const QColor &fg, const QColor &bg, QWidget *parent)
    : QWidget(parent)
    , text_(text)
    , fg_(fg)
    , bg_(bg) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PanelTag::setContent(const QString &text, const QColor &fg, const QColor &bg) {
    const bool resized = text != text_;
    text_ = text;
    fg_ = fg;
    bg_ = bg;
    if (resized) {
        updateGeometry();
        describedNameChanged(this);
    }
    update();
}

QSize PanelTag::sizeHint() const {
    const QFontMetricsF metrics(tagFont());
    return QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(text_))),
                 static_cast<int>(std::ceil(metrics.height())))
        .grownBy(kPadding);
}

void PanelTag::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    Shapes::fill(painter, Shapes::roundedRect(rect(), kCornerRadius), bg_);
    painter.setFont(tagFont());
    painter.setPen(fg_);
    painter.drawText(rect().marginsRemoved(kPadding), Qt::AlignCenter | Qt::TextSingleLine, text_);
}

} // namespace quorvel
