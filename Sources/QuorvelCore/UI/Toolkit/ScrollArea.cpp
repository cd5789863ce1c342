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
    // The keyboard goes to the rows, which scroll themselves into sight; the
    // area itself would be a stop with nothing to show for it.
    setFocusPolicy(Qt::NoFocus);
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
    const int width = content.width() + verticalScrollBar()->sizeHint().width();
    return QSize(width, heightForWidth(width));
}

bool ScrollArea::hasHeightForWidth() const {
    return true;
}

// Wrapped texts in the content take more lines the narrower it is.
int ScrollArea::heightForWidth(int width) const {
    if (!widget()) return 0;
    const int contentWidth = std::max(0, width - verticalScrollBar()->sizeHint().width());
    const int content = widget()->hasHeightForWidth() ? widget()->heightForWidth(contentWidth)
                                                      : widget()->sizeHint().height();
    return std::min(content, maximumHeight_);
}

} // namespace quorvel
