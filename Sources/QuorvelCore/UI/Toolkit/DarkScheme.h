#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace quorvel {

// The dark colour scheme with `tint` as the accent (highlight, links, checked
// controls), for the panel and everything Qt draws inside it: menus, text
// fields, scroll bars and tooltips.
QPalette darkPalette(const QColor &tint);
void applyDarkScheme(QWidget *widget, const QColor &tint);

} // namespace quorvel
