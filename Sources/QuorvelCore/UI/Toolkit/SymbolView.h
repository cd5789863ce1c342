#pragma once

#include <QColor>
#include <QWidget>

#include <string>

namespace quorvel {

// A system symbol drawn as a glyph of the icon font, at a text size, centred
// in a square frame of that size unless given a frame of its own.
class SymbolView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double rotation READ rotation WRITE setRotation)
public:
    SymbolView(std::string symbol, double size, const QColor &color, QWidget *parent = nullptr);

    const std::string &symbol() const { return symbol_; }
    void setSymbol(std::string symbol);
    const QColor &color() const { return color_; }
    void setColor(const QColor &color);
    // Degrees, clockwise on screen, about the centre; animatable.
    double rotation() const { return rotation_; }
    void setRotation(double degrees);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::string symbol_;
    double size_;
    QColor color_;
    double rotation_ = 0;
};

} // namespace quorvel
