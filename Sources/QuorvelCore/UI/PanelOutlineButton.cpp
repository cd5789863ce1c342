#include "UI/PanelOutlineButton.h"

#include "UI/Theme.h"
#include "UI/Toolkit/Typography.h"

namespace quorvel {

PanelOutlineButton::PanelOutlineButton() {
    font = systemFont(12.5, FontWeight::medium);
    labelColor = Theme::inkDim();
    fill = Theme::surface();
    pressedFillOpacity = 0.55;
    cornerRadius = 10;
    border = Theme::hairline();
    insets = QMargins(16, 9, 16, 9);
}

} // namespace quorvel
