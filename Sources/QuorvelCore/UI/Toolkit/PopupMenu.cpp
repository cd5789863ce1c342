#include "UI/Toolkit/PopupMenu.h"

#include <QAbstractButton>
#include <QActionGroup>
#include <QMenu>

#include "UI/Toolkit/Typography.h"

namespace quorvel {

void attachPopupMenu(QAbstractButton *button, QMenu *menu) {
    // A menu is a window of its own, which takes the panel's palette and
    // font only when asked to.
    menu->setAttribute(Qt::WA_WindowPropagation);
    menu->setParent(button, menu->windowFlags());
    // Not the button's own label font.
    menu->setFont(systemFont(13, FontWeight::regular));
    QObject::connect(button, &QAbstractButton::clicked, menu, [button, menu] {
        menu->popup(button->mapToGlobal(QPoint(0, button->height())));
    });
}

void addPicker(QMenu *menu, const QString &title, const std::vector<PickerChoice> &choices,
               const QVariant &current, std::function<void(const QVariant &)> choose) {
    if (!title.isEmpty()) menu->addSection(title);
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
