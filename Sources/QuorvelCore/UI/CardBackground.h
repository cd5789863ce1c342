#pragma once

#include <QWidget>

namespace quorvel {

// A card of the panel: `surface` in a rounded rectangle with a hairline
// edge inside it. Holds the card's content.
class CardBackground : public QWidget {
    Q_OBJECT
public:
    explicit CardBackground(double cornerRadius, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double cornerRadius_;
};

} // namespace quorvel
