#pragma once

#include "UI/Toolkit/TextView.h"

namespace quorvel {

// The caption above a section: upper case, small, monospaced and spaced out.
class PanelLabel : public TextView {
    Q_OBJECT
public:
    explicit PanelLabel(const QString &text, QWidget *parent = nullptr);

    void setCaption(const QString &text);
};

} // namespace quorvel
