#include "UI/PillChrome.h"

#include "UI/Theme.h"
#include "UI/Toolkit/Typography.h"

namespace quorvel {

PillChrome::PillChrome() {
    font = systemFont(12.5, FontWeight::medium);
    labelColor = Theme::ink();
    fill = Theme::panelBottom();
    cornerRadius = 9;
    border = Theme::hairline();
    insets = QMargins(10, 6, 10, 6);
}

} // namespace quorvel
