#include "UI/PanelIconButton.h"

#include "UI/Theme.h"
#include "UI/Toolkit/Typography.h"

namespace quorvel {

PanelIconButton::PanelIconButton() {
    font = systemFont(14, FontWeight::medium);
    labelColor = Theme::inkDim();
    fill = Theme::surface();
    pressedFillOpacity = 0.55;
    cornerRadius = 11;
    border = Theme::hairline();
    fixedSize = QSize(42, 42);
}

} // namespace quorvel
