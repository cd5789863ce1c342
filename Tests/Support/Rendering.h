#pragma once

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <cstdlib>

#include "UI/Theme.h"
#include "UI/Toolkit/WidgetSnapshot.h"

namespace quorvel::test {

// The widget at its preferred size on a transparent image.
inline QImage render(QWidget &widget) {
    return widgetSnapshot(widget);
}

// Keeps a picture of what a view looks like under build/shots, named after
// the view and, when the run's language is forced, that language.
// Clear parts are shown on the panel's own dark colour.
inline void saveShot(const QImage &image, const QString &name) {
    QImage shot(image.size(), QImage::Format_ARGB32);
    shot.fill(Theme::panelBottom());
    QPainter(&shot).drawImage(0, 0, image);
    QDir().mkpath(QStringLiteral(QUORVEL_SHOTS_DIR));
    const QString locale = qEnvironmentVariable("QUORVEL_LOCALE");
    const QString file = locale.isEmpty() ? name : name + QLatin1Char('-') + locale;
    shot.save(QStringLiteral(QUORVEL_SHOTS_DIR "/") + file + QStringLiteral(".png"));
}

// Whether two colours are alike within a small per-channel tolerance, as
// antialiasing and blending leave them.
inline bool near(const QColor &a, const QColor &b, int tolerance = 24) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// Whether the image holds a pixel close to `color` inside `area`.
inline bool contains(const QImage &image, const QColor &color, QRect area = {},
                     int tolerance = 24) {
    if (area.isNull()) area = image.rect();
    area &= image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (near(image.pixelColor(x, y), color, tolerance)) return true;
        }
    }
    return false;
}

} // namespace quorvel::test
