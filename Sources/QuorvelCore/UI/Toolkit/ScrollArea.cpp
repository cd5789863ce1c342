#include "UI/Toolkit/ScrollArea.h"

#include <QEvent>
#include <QScrollBar>

#include <algorithm>

namespace quorvel {

ScrollArea::ScrollArea(QWidget *content, int maximumHeight, QWidget *parent)
    : QScrollArea(parent)
    , maximumHeight_(maximumHeight) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setWidgetResizable(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    viewport()->setAutoFillBackground(false);
    setWidget(content);
    // Set after handing it over, which turns the filling on.
    content->setAutoFillBackground(false);
    content->installEventFilter(this);
}

// The area grows and shrinks with its content, which tells only itself.
bool ScrollArea::eventFilter(QObject *watched, QEvent *event) {
    if (watched == widget() && event->type() == QEvent::LayoutRequest) updateGeometry();
    return QScrollArea::eventFilter(watched, event);
}

QSize ScrollArea::sizeHint() const {
    const QSize content = widget() ? widget()->sizeHint() : QSize();
    return QSize(content.width() + verticalScrollBar()->sizeHint().width(),
                 std::min(content.height(), maximumHeight_));
}

} // namespace quorvel
