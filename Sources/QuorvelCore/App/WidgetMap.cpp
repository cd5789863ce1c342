#include "App/WidgetMap.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QSaveFile>
#include <QWidget>

#include "UI/PanelTag.h"
#include "UI/Toolkit/TextView.h"

namespace quorvel {
namespace {

constexpr int kRewriteMilliseconds = 150;

QString line(const QString &name, const QRect &frame, const QString &text) {
    return QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\n")
        .arg(name)
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.width())
        .arg(frame.height())
        .arg(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
}

QString textOf(const QWidget *widget) {
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
        return button->isCheckable()
                   ? (button->isChecked() ? QStringLiteral("on") : QStringLiteral("off"))
                   : button->text();
    }
    if (const auto *text = qobject_cast<const TextView *>(widget)) return text->text();
    if (const auto *tag = qobject_cast<const PanelTag *>(widget)) return tag->text();
    return {};
}

} // namespace

WidgetMap::WidgetMap(QString file, QObject *parent)
    : QObject(parent)
    , file_(std::move(file)) {
    connect(&timer_, &QTimer::timeout, this, &WidgetMap::write);
    timer_.start(kRewriteMilliseconds);
}

QString WidgetMap::describe() {
    QString lines;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) continue;
        if (auto *menu = qobject_cast<QMenu *>(window)) {
            for (QAction *action : menu->actions()) {
                if (action->isSeparator() || !action->isVisible()) continue;
                const QRect frame = menu->actionGeometry(action);
                lines += line(QStringLiteral("menu:") + action->text(),
                              QRect(menu->mapToGlobal(frame.topLeft()), frame.size()),
                              action->isEnabled() ? QStringLiteral("enabled")
                                                  : QStringLiteral("disabled"));
            }
            continue;
        }
        QList<QWidget *> widgets = window->findChildren<QWidget *>();
        widgets.prepend(window);
        for (QWidget *widget : widgets) {
            if (widget->objectName().isEmpty() || !widget->isVisible()) continue;
            // Only the part not scrolled out of sight or covered by siblings.
            const QRect shown = widget->visibleRegion().boundingRect();
            if (shown.isEmpty()) continue;
            lines +=
                line(widget->objectName(),
                     QRect(widget->mapToGlobal(shown.topLeft()), shown.size()), textOf(widget));
        }
    }
    return lines;
}

void WidgetMap::write() {
    QSaveFile file(file_);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(describe().toUtf8());
    file.commit();
}

} // namespace quorvel
