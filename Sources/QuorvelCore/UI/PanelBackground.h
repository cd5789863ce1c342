#pragma once

#include <QWidget>

class QPainter;

namespace quorvel {

// The panel's surface: a dark vertical gradient with a faint green glow from
// the middle of the top edge. Holds the panel's content; the focus given to
// the panel goes on to where reading starts.
class PanelBackground : public QWidget {
    Q_OBJECT
public:
    explicit PanelBackground(QWidget *parent = nullptr);

    static void paint(QPainter &painter, const QRectF &bounds);

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    // Where the keyboard starts; the first control by default.
    virtual QWidget *firstControl() const { return nullptr; }
};

} // namespace quorvel
