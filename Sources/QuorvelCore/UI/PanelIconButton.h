#pragma once

#include "UI/Toolkit/ButtonStyle.h"

namespace quorvel {

// A square 42 × 42 button for one symbol.
struct PanelIconButton : ButtonStyle {
    PanelIconButton();
};

} // namespace quorvel
