#pragma once

#include <QByteArray>
#include <QVariant>

class QObject;
class QWidget;

namespace quorvel {

enum class Edge { top, bottom, leading, trailing };

// Animates `property` of `target` to `end` with an ease-in-out curve over
// `milliseconds`; a running animation of the same property is replaced.
void animateEaseInOut(QObject *target, const QByteArray &property, const QVariant &end,
                      int milliseconds);

// The insertion transition: the widget fades in while it moves into its place
// from `edge`. Call after the widget is laid out where it belongs.
void fadeAndMoveIn(QWidget *widget, Edge edge, int milliseconds = 200);

// The removal transition: the widget fades out while moving towards `edge`,
// then is deleted.
void fadeAndMoveOut(QWidget *widget, Edge edge, int milliseconds = 200);

} // namespace quorvel
