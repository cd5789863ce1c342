#include "UI/Toolkit/DescribedWidget.h"

#include <QAbstractButton>
#include <QLocale>

#include <algorithm>
#include <cmath>

#include "UI/Toolkit/Describable.h"

namespace quorvel {
namespace {

QAbstractButton *asButton(QWidget *widget) {
    return qobject_cast<QAbstractButton *>(widget);
}

QAccessibleInterface *describedFactory(const QString &, QObject *object) {
    auto *widget = qobject_cast<QWidget *>(object);
    const auto *described = dynamic_cast<const Describable *>(object);
    if (!widget || !described) return nullptr;
    return new DescribedWidget(widget, *described);
}

} // namespace

DescribedWidget::DescribedWidget(QWidget *widget, const Describable &described)
    : QAccessibleWidget(widget)
    , described_(described) {}

QAccessible::Role DescribedWidget::role() const {
    return described_.accessibleRole();
}

QString DescribedWidget::text(QAccessible::Text kind) const {
    switch (kind) {
    case QAccessible::Name: {
        const QString name = widget()->accessibleName();
        return name.isEmpty() ? described_.accessibleText() : name;
    }
    case QAccessible::Value: {
        const std::optional<double> value = described_.accessibleValue();
        if (!value) return {};
        if (QString words = described_.accessibleValueText(); !words.isEmpty()) return words;
        return QLocale().toString(std::lround(std::clamp(*value, 0.0, 1.0) * 100)) +
               QLocale().percent();
    }
    default: return QAccessibleWidget::text(kind);
    }
}

QAccessible::State DescribedWidget::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    if (QAbstractButton *button = asButton(widget())) {
        state.checkable = button->isCheckable();
        state.checked = button->isChecked();
        state.pressed = button->isDown();
    }
    described_.addAccessibleState(state);
    return state;
}

void *DescribedWidget::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ValueInterface && described_.accessibleValue())
        return static_cast<QAccessibleValueInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QStringList DescribedWidget::actionNames() const {
    QStringList names = QAccessibleWidget::actionNames();
    if (QAbstractButton *button = asButton(widget()); button && button->isEnabled())
        names.prepend(button->isCheckable() ? toggleAction() : pressAction());
    return names;
}

void DescribedWidget::doAction(const QString &action) {
    QAbstractButton *button = asButton(widget());
    if (button && button->isEnabled() && (action == pressAction() || action == toggleAction())) {
        button->click();
        return;
    }
    QAccessibleWidget::doAction(action);
}

QVariant DescribedWidget::currentValue() const {
    return described_.accessibleValue().value_or(0.0);
}

QVariant DescribedWidget::maximumValue() const {
    return described_.accessibleMaximum();
}

void describedNameChanged(QObject *object) {
    if (!QAccessible::isActive()) return;
    QAccessibleEvent event(object, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void describedValueChanged(QObject *object, double value) {
    if (!QAccessible::isActive()) return;
    QAccessibleValueChangeEvent event(object, value);
    QAccessible::updateAccessibility(&event);
}

void setSpokenName(QWidget *widget, const QString &name) {
    if (widget->accessibleName() != name) widget->setAccessibleName(name);
}

void setSpokenDescription(QWidget *widget, const QString &description) {
    if (widget->accessibleDescription() != description)
        widget->setAccessibleDescription(description);
}

void installAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(describedFactory);
        return true;
    }();
    (void)installed;
}

} // namespace quorvel
