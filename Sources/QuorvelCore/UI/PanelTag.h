#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include "UI/Toolkit/Describable.h"

namespace quorvel {

// A small monospaced tag on a rounded fill.
class PanelTag : public QWidget, public Describable {
    Q_OBJECT
public:
    PanelTag(const QString &text, const QColor &fg, const QColor &bg, QWidget *parent = nullptr);

    const QString &text() const { return text_; }
    const QColor &foreground() const { return fg_; }
    const QColor &background() const { return bg_; }
    void setContent(const QString &text, const QColor &fg, const QColor &bg);

    QAccessible::Role accessibleRole() const override { return QAccessible::StaticText; }
    QString accessibleText() const override { return text_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString text_;
    QColor fg_;
    QColor bg_;
};

} // namespace quorvel
