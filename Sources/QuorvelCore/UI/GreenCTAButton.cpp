#include "UI/GreenCTAButton.h"

#include "UI/Theme.h"
#include "UI/Toolkit/Typography.h"

namespace quorvel {

GreenCTAButton::GreenCTAButton() {
    font = systemFont(13, FontWeight::semibold);
    labelColor = Theme::onGreen();
    fill = Theme::green();
    pressedFillOpacity = 0.82;
    cornerRadius = 12;
    insets = QMargins(0, 11, 0, 11);
    stretchesToWidth = true;
}

} // namespace quorvel
