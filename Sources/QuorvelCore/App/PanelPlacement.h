#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace quorvel {

// Where the panel opens: hanging below its anchor when the anchor is in the
// upper half of the screen (a top bar), standing above it otherwise (a bottom
// bar), centred on it across, and always inside the screen's available area.
// A bar at the left or right edge is outside that area, so the panel ends up
// beside it.
QPoint panelPosition(QSize panel, QRect anchor, QRect screen, QRect available);

} // namespace quorvel
