#pragma once

#include "UI/Toolkit/ButtonStyle.h"

namespace quorvel {

// The primary action: full width, green fill, dark label.
struct GreenCTAButton : ButtonStyle {
    GreenCTAButton();
};

} // namespace quorvel
