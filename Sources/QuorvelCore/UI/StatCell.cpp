#include "UI/StatCell.h"

#include "UI/PanelLabel.h"
#include "UI/Theme.h"
#include "UI/Toolkit/Stacks.h"
#include "UI/Toolkit/TextView.h"
#include "UI/Toolkit/Typography.h"

namespace quorvel {

StatCell::StatCell(const QString &value, const QString &label, QWidget *parent)
    : QWidget(parent)
    , value_(new TextView(value, systemFont(16, FontWeight::semibold, FontDesign::tabularDigits),
                          Theme::ink(), this))
    , label_(new PanelLabel(label, this)) {
    value_->setMinimumScaleFactor(0.7);
    auto *stack = vstack(2, this);
    stack->addWidget(value_);
    stack->addWidget(label_);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StatCell::setValue(const QString &value) {
    value_->setText(value);
}

} // namespace quorvel
