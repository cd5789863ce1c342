#pragma once

#include <QWidget>

#include "UI/Toolkit/Describable.h"

namespace quorvel {

// Says a change the user did not cause to a screen reader: an invisible
// notification whose name becomes the message and which then appears, which
// is what screen readers speak without moving the user's place.
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
