#pragma once

#include <QIcon>

#include <optional>
#include <string>

// Application icons for the panel's rows.
namespace quorvel::IconProvider {

// The size the rows ask for by default, in device-independent pixels.
inline constexpr int kSize = 18;

// The icon of the application installed at `appPath` (its desktop entry):
// the entry's Icon key through the icon theme, or the file it names. Looked up
// once per path for the run; an entry without a usable icon gets the theme's
// generic application icon. Without a path: the "gearshape.2" symbol, every
// time. Main thread only.
QIcon icon(const std::optional<std::string> &appPath);

} // namespace quorvel::IconProvider
