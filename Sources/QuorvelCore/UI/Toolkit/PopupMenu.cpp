#include "UI/Toolkit/PopupMenu.h"

#include <QAbstractButton>
#include <QActionGroup>
#include <QMenu>

namespace quorvel {

void attachPopupMenu(QAbstractButton *button, QMenu *menu) {
    menu->setParent(button, menu->windowFlags());
    QObject::connect(button, &QAbstractButton::clicked, menu, [button, menu] {
        menu->popup(button->mapToGlobal(QPoint(0, button->height())));
    });
}

void addPicker(QMenu *menu, const QString &title, const std::vector<PickerChoice> &choices,
               const QVariant &current, std::function<void(const QVariant &)> choose) {
    menu->addSection(title);
    auto *group = new QActionGroup(menu);
    group->setExclusive(true);
    for (const PickerChoice &choice : choices) {
        QAction *action = menu->addAction(choice.label);
        action->setCheckable(true);
        action->setChecked(choice.value == current);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, menu,
                         [choose, value = choice.value] { choose(value); });
    }
}

} // namespace quorvel
