#include "UI/PanelLabel.h"

#include "UI/Theme.h"
#include "UI/Toolkit/Typography.h"

namespace quorvel {

PanelLabel::PanelLabel(const QString &text, QWidget *parent)
    : TextView(text.toUpper(),
               tracked(systemFont(10.5, FontWeight::medium, FontDesign::monospaced), 1.1),
               Theme::inkFaint(), parent) {}

void PanelLabel::setCaption(const QString &text) {
    setText(text.toUpper());
}

} // namespace quorvel
