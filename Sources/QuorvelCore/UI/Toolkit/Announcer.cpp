#include "UI/Toolkit/Announcer.h"

namespace quorvel {

Announcer::Announcer(QWidget *parent)
    : QWidget(parent) {
    // Takes no room and no clicks: it is there to be read, not seen.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 0, 0);
}

void Announcer::announce(const QString &message) {
    message_ = message;
    if (!QAccessible::isActive()) return;
    describedNameChanged(this);
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

} // namespace quorvel
