#include "UI/Toolkit/Announcer.h"

#include <QTimer>

namespace quorvel {

Announcer::Announcer(QWidget *parent)
    : QWidget(parent) {
    // Takes no room and no clicks: it is there to be read, not seen.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 0, 0);
    hide();
}

void Announcer::announce(const QString &message) {
    message_ = message;
    if (!QAccessible::isActive()) return;
    describedNameChanged(this);
    hide();
    show(); // tells the reader it appeared
    QTimer::singleShot(0, this, &QWidget::hide);
}

} // namespace quorvel
