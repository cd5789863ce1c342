#pragma once

#include "UI/Toolkit/ButtonStyle.h"

namespace quorvel {

// A secondary action: surface fill with a hairline border.
struct PanelOutlineButton : ButtonStyle {
    PanelOutlineButton();
};

} // namespace quorvel
