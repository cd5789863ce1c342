#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

#include "UI/Toolkit/Describable.h"

namespace quorvel {

// A text in one font and colour. On one line it shrinks down to its minimum
// scale factor before it would be cut, then elides; wrapping text grows in
// height instead.
class TextView : public QWidget, public Describable {
    Q_OBJECT
public:
    explicit TextView(const QString &text, const QFont &font, const QColor &color,
                      QWidget *parent = nullptr);

    const QString &text() const { return text_; }
    void setText(const QString &text);
    const QColor &color() const { return color_; }
    void setColor(const QColor &color);
    void setTextFont(const QFont &font);
    void setMinimumScaleFactor(double factor);
    void setWrapping(bool wrapping);
    // A truncating one-line text gives up width when its row is short of it
    // and ends with an ellipsis, so that what stands beside it keeps its room.
    void setTruncates(bool truncates);
    void setAlignment(Qt::Alignment alignment);

    // The font the text is drawn in at the current width.
    QFont fittedFont() const;

    QAccessible::Role accessibleRole() const override { return QAccessible::StaticText; }
    QString accessibleText() const override { return text_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return wrapping_; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void changed();
    int naturalWidth() const;

    QString text_;
    QFont font_;
    QColor color_;
    double minimumScaleFactor_ = 1.0;
    bool wrapping_ = false;
    bool truncates_ = false;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
};

} // namespace quorvel
