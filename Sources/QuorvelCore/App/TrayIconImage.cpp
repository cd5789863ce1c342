#include "App/TrayIconImage.h"

#include <QGuiApplication>
#include <QPalette>

#include "Util/SymbolImage.h"

namespace quorvel {
namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64};
constexpr int kDefaultSize = 22;

bool desktopThemesPanel() {
    const QByteArray desktop = qgetenv("XDG_CURRENT_DESKTOP").toUpper();
    return desktop.split(':').contains("KDE");
}

} // namespace

QColor trayForeground() {
    if (desktopThemesPanel()) return QGuiApplication::palette().color(QPalette::WindowText);
    return QColor(0xF5, 0xF5, 0xF5);
}

QIcon trayIconImage(std::string_view symbol) {
    const QColor color = trayForeground();
    QIcon icon;
    for (int size : kSizes) icon.addPixmap(SymbolImage::pixmap(symbol, size, color));
    return icon;
}

QSize trayIconSize(const std::optional<QRect> &frame) {
    if (frame && frame->width() > 1 && frame->height() > 1) return frame->size();
    return QSize(kDefaultSize, kDefaultSize);
}

} // namespace quorvel
