#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

class QAbstractButton;
class QMenu;

namespace quorvel {

// A borderless pop-up menu: `button` (any look) opens `menu` under itself on
// click; there is no indicator arrow. The menu takes the panel's dark scheme.
void attachPopupMenu(QAbstractButton *button, QMenu *menu);

// One tagged choice of a picker.
struct PickerChoice {
    QString label;
    QVariant value;
};

// A picker in `menu`: a section (titled unless `title` is empty) of exclusive
// choices with `current` checked; choosing one calls `choose` with its value.
void addPicker(QMenu *menu, const QString &title, const std::vector<PickerChoice> &choices,
               const QVariant &current, std::function<void(const QVariant &)> choose);

} // namespace quorvel
