#include "UI/Badge.h"

#include "UI/Theme.h"

namespace quorvel {
namespace {

constexpr double kWashOpacity = 0.16;

} // namespace

Badge::Badge(const QString &text, const QColor &color, QWidget *parent)
    : PanelTag(text, color, Theme::withOpacity(color, kWashOpacity), parent) {}

void Badge::setBadge(const QString &text, const QColor &color) {
    setContent(text, color, Theme::withOpacity(color, kWashOpacity));
}

} // namespace quorvel
