#include "UI/Toolkit/Animation.h"

#include <QGraphicsOpacityEffect>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QWidget>

namespace quorvel {
namespace {

constexpr int kTravel = 12;

QPoint offsetTowards(Edge edge) {
    switch (edge) {
    case Edge::top: return QPoint(0, -kTravel);
    case Edge::bottom: return QPoint(0, kTravel);
    case Edge::leading: return QPoint(-kTravel, 0);
    case Edge::trailing: return QPoint(kTravel, 0);
    }
    return QPoint();
}

QPropertyAnimation *easeInOut(QObject *target, const QByteArray &property, const QVariant &start,
                              const QVariant &end, int milliseconds) {
    auto *animation = new QPropertyAnimation(target, property, target);
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    animation->setDuration(milliseconds);
    animation->setStartValue(start);
    animation->setEndValue(end);
    return animation;
}

// Fades and moves `widget` between `fromOffset` and `toOffset` from its place.
QParallelAnimationGroup *fadeAndMove(QWidget *widget, double fromOpacity, double toOpacity,
                                     QPoint fromOffset, QPoint toOffset, int milliseconds) {
    auto *opacity = new QGraphicsOpacityEffect(widget);
    opacity->setOpacity(fromOpacity);
    widget->setGraphicsEffect(opacity);
    const QPoint place = widget->pos();
    auto *group = new QParallelAnimationGroup(widget);
    group->addAnimation(easeInOut(opacity, "opacity", fromOpacity, toOpacity, milliseconds));
    group->addAnimation(
        easeInOut(widget, "pos", place + fromOffset, place + toOffset, milliseconds));
    return group;
}

} // namespace

void animateEaseInOut(QObject *target, const QByteArray &property, const QVariant &end,
                      int milliseconds) {
    const QString name = QStringLiteral("easeInOut:") + QString::fromLatin1(property);
    delete target->findChild<QPropertyAnimation *>(name, Qt::FindDirectChildrenOnly);
    QPropertyAnimation *animation =
        easeInOut(target, property, target->property(property.constData()), end, milliseconds);
    animation->setObjectName(name);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void fadeAndMoveIn(QWidget *widget, Edge edge, int milliseconds) {
    QParallelAnimationGroup *group =
        fadeAndMove(widget, 0, 1, offsetTowards(edge), QPoint(), milliseconds);
    // A layout pass owns the final place again, and the effect goes with the fade.
    QObject::connect(group, &QAbstractAnimation::finished, widget,
                     [widget] { widget->setGraphicsEffect(nullptr); });
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void fadeAndMoveOut(QWidget *widget, Edge edge, int milliseconds) {
    QParallelAnimationGroup *group =
        fadeAndMove(widget, 1, 0, QPoint(), offsetTowards(edge), milliseconds);
    QObject::connect(group, &QAbstractAnimation::finished, widget, &QObject::deleteLater);
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace quorvel
