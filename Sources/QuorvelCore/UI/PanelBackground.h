#pragma once

#include <QWidget>

class QPainter;

namespace quorvel {

// The panel's surface: a dark vertical gradient with a faint green glow from
// the middle of the top edge. Holds the panel's content.
class PanelBackground : public QWidget {
    Q_OBJECT
public:
    explicit PanelBackground(QWidget *parent = nullptr);

    static void paint(QPainter &painter, const QRectF &bounds);

    // Where the keyboard starts in a panel opened from it; null for the
    // first control in Tab order.
    virtual QWidget *firstControl() const { return nullptr; }

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace quorvel
