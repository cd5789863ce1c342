#pragma once

#include "UI/Toolkit/ButtonStyle.h"

namespace quorvel {

// The chrome of a compact picker showing its current value: the value in
// `ink` on a dark rounded pill with a hairline edge.
struct PillChrome : ButtonStyle {
    PillChrome();
};

} // namespace quorvel
