#pragma once

#include <QScrollArea>

namespace quorvel {

// A vertical scroll area on the panel's own background, its scroll bar always
// shown, growing with its content up to `maximumHeight`.
class ScrollArea : public QScrollArea {
    Q_OBJECT
public:
    ScrollArea(QWidget *content, int maximumHeight, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int maximumHeight_;
};

} // namespace quorvel
