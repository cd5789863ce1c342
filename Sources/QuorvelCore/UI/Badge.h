#pragma once

#include "UI/PanelTag.h"

namespace quorvel {

// A tag in one colour: the text in it, the fill a faint wash of it.
class Badge : public PanelTag {
    Q_OBJECT
public:
    Badge(const QString &text, const QColor &color, QWidget *parent = nullptr);

    void setBadge(const QString &text, const QColor &color);
};

} // namespace quorvel
