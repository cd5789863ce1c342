#pragma once

#include <QAbstractButton>

#include <string>

#include "UI/Toolkit/ButtonStyle.h"
#include "UI/Toolkit/Describable.h"

namespace quorvel {

// A button drawn by its style: a label of an optional symbol and an optional
// text, on a rounded fill that dims while the button is held down.
class StyledButton : public QAbstractButton, public Describable {
    Q_OBJECT
public:
    StyledButton(ButtonStyle style, const QString &text, std::string symbol = {},
                 QWidget *parent = nullptr);

    const ButtonStyle &style() const { return style_; }
    void setButtonStyle(ButtonStyle style);
    const std::string &symbol() const { return symbol_; }
    void setSymbol(std::string symbol);
    void setLabelColor(const QColor &color);
    // Between the symbol and the text.
    void setLabelSpacing(int spacing);

    // A truncating button gives up width when its row is short of it: first
    // up to half of its side padding, then it ends its text with an ellipsis,
    // as a long application name must.
    void setTruncates(bool truncates);

    // The fill's opacity as drawn now.
    double fillOpacity() const;

    // One of an exclusive set of checkable buttons reads as a choice.
    QAccessible::Role accessibleRole() const override;
    QString accessibleText() const override { return text(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QSize labelSize() const;
    // The side padding at the current width.
    QMarginsF sidePadding() const;

    ButtonStyle style_;
    std::string symbol_;
    int labelSpacing_ = 6;
    bool truncates_ = false;
};

} // namespace quorvel
