#pragma once

#include <QAccessible>
#include <QString>

#include <optional>

class QObject;
class QWidget;

namespace quorvel {

// What a widget drawn by the toolkit is to assistive technology: its role, the
// words a screen reader says for it and, where it shows an amount, its value.
// Widgets that implement it are read through `DescribedWidget`.
class Describable {
public:
    virtual ~Describable() = default;

    virtual QAccessible::Role accessibleRole() const = 0;
    // Used where no accessible name is set on the widget.
    virtual QString accessibleText() const = 0;
    // Between 0 and `accessibleMaximum()`; none for a widget without an amount.
    virtual std::optional<double> accessibleValue() const { return std::nullopt; }
    virtual double accessibleMaximum() const { return 1; }
    // The value in words; a share of 1 reads as a percentage without them.
    virtual QString accessibleValueText() const { return {}; }
    virtual void addAccessibleState(QAccessible::State &) const {}
};

// Tells assistive technology that what `object` says has changed.
void describedNameChanged(QObject *object);
void describedValueChanged(QObject *object, double value);

// A widget's accessible name and description, set only when they change:
// Qt tells assistive technology of every setting, and a screen reader would
// read out each one for the control it is on.
void setSpokenName(QWidget *widget, const QString &name);
void setSpokenDescription(QWidget *widget, const QString &description);

// Lets Qt's accessibility read every `Describable` widget; once per run,
// before the first widget is shown.
void installAccessibility();

} // namespace quorvel
