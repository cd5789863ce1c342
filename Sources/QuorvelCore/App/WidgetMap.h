#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace quorvel {

// For driving the real program from outside (the desktop click-through
// test): lists where every named widget is in sight and every entry of an open
// pop-up menu is on the screen, one per line as
// "name<TAB>x<TAB>y<TAB>width<TAB>height<TAB>text", and rewrites the file
// whole a few times a second. Menu entries are named "menu:" + their text.
class WidgetMap : public QObject {
    Q_OBJECT
public:
    // The environment variable naming the file; without it nothing is kept.
    static constexpr char kVariable[] = "QUORVEL_WIDGET_MAP";

    explicit WidgetMap(QString file, QObject *parent = nullptr);

    // The lines as they are now.
    static QString describe();

private:
    void write();

    QString file_;
    QTimer timer_;
};

} // namespace quorvel
