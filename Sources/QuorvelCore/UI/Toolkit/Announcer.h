#pragma once

#include <QWidget>

#include "UI/Toolkit/Describable.h"

namespace quorvel {

// Says a change the user did not cause to a screen reader: a notification of
// no size whose name becomes the message and which then appears, which is
// what screen readers speak without moving the user's place. It is hidden
// again at once, so that a panel opened later does not say it again.
class Announcer final : public QWidget, public Describable {
    Q_OBJECT
public:
    explicit Announcer(QWidget *parent);

    void announce(const QString &message);
    const QString &message() const { return message_; }

    QAccessible::Role accessibleRole() const override { return QAccessible::Notification; }
    QString accessibleText() const override { return message_; }

private:
    QString message_;
};

} // namespace quorvel
