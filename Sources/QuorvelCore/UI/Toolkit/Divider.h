#pragma once

#include <QColor>
#include <QWidget>

namespace quorvel {

// A one-pixel line across its container.
class Divider : public QWidget {
    Q_OBJECT
public:
    explicit Divider(const QColor &color, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor color_;
};

} // namespace quorvel
