#pragma once

#include <QAccessibleWidget>

namespace quorvel {

class Describable;

// Qt's accessible view of a `Describable` widget. A widget that is also a
// button keeps the button's actions and its checked state.
class DescribedWidget final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    DescribedWidget(QWidget *widget, const Describable &described);

    QAccessible::Role role() const override;
    QString text(QAccessible::Text kind) const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString &action) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override;
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 0.0; }

private:
    const Describable &described_;
};

} // namespace quorvel
