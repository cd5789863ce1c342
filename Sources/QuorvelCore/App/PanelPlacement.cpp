#include "App/PanelPlacement.h"

#include <algorithm>

namespace quorvel {
namespace {

constexpr int kGap = 4;

// Keeps [start, start + length) inside [low, high); a panel longer than the
// range starts at its low end.
int clampInto(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

} // namespace

QPoint panelPosition(QSize panel, QRect anchor, QRect screen, QRect available) {
    const bool topBar = anchor.center().y() < screen.center().y();
    const int y = topBar ? anchor.bottom() + 1 + kGap : anchor.top() - kGap - panel.height();
    const int x = anchor.center().x() - panel.width() / 2;
    return QPoint(clampInto(x, panel.width(), available.left(), available.right() + 1),
                  clampInto(y, panel.height(), available.top(), available.bottom() + 1));
}

} // namespace quorvel
