#include "UI/Toolkit/DarkScheme.h"

#include <QToolTip>
#include <QWidget>

#include "UI/Theme.h"

namespace quorvel {

QPalette darkPalette(const QColor &tint) {
    QPalette palette;
    const QColor ink = Theme::ink();
    const QColor dim = Theme::inkFaint();
    palette.setColor(QPalette::Window, Theme::panelBottom());
    palette.setColor(QPalette::WindowText, ink);
    palette.setColor(QPalette::Base, Theme::surface());
    palette.setColor(QPalette::AlternateBase, Theme::panelTop());
    palette.setColor(QPalette::Text, ink);
    palette.setColor(QPalette::PlaceholderText, dim);
    palette.setColor(QPalette::Button, Theme::surface());
    palette.setColor(QPalette::ButtonText, ink);
    palette.setColor(QPalette::BrightText, Theme::red());
    palette.setColor(QPalette::ToolTipBase, Theme::surface());
    palette.setColor(QPalette::ToolTipText, ink);
    palette.setColor(QPalette::Highlight, tint);
    palette.setColor(QPalette::HighlightedText, Theme::onGreen());
    palette.setColor(QPalette::Link, tint);
    palette.setColor(QPalette::LinkVisited, tint);
    palette.setColor(QPalette::Light, Theme::surface().lighter(130));
    palette.setColor(QPalette::Midlight, Theme::surface().lighter(115));
    palette.setColor(QPalette::Mid, Theme::panelTop());
    palette.setColor(QPalette::Dark, Theme::panelBottom().darker(130));
    palette.setColor(QPalette::Shadow, Qt::black);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, dim);
    }
    return palette;
}

void applyDarkScheme(QWidget *widget, const QColor &tint) {
    const QPalette palette = darkPalette(tint);
    widget->setPalette(palette);
    QToolTip::setPalette(palette);
}

} // namespace quorvel
