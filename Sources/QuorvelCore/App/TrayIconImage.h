#pragma once

#include <QColor>
#include <QIcon>
#include <QRect>
#include <QSize>

#include <optional>
#include <string_view>

namespace quorvel {

// The colour of the tray's symbol: the desktop palette's text colour where the
// desktop themes Qt to match its panel (Plasma), light otherwise, since most
// Linux panels are dark whatever the applications' scheme.
QColor trayForeground();

// The symbol drawn monochrome in `trayForeground`, at every size a tray asks
// for.
QIcon trayIconImage(std::string_view symbol);

// The size the icon is drawn at: the tray's own where it tells its frame.
QSize trayIconSize(const std::optional<QRect> &frame);

} // namespace quorvel
