#include "UI/Toolkit/Stacks.h"

#include <QWidget>

#include <algorithm>

namespace quorvel {
namespace {

template <typename Layout> Layout *stack(int spacing, QWidget *parent, Insets insets) {
    auto *layout = new Layout(parent);
    layout->setSpacing(spacing);
    layout->setContentsMargins(insets.left, insets.top, insets.right, insets.bottom);
    return layout;
}

} // namespace

QVBoxLayout *vstack(int spacing, QWidget *parent, Insets insets) {
    return stack<QVBoxLayout>(spacing, parent, insets);
}

QHBoxLayout *hstack(int spacing, QWidget *parent, Insets insets) {
    return stack<QHBoxLayout>(spacing, parent, insets);
}

QWidget *inset(QWidget *content, Insets insets) {
    auto *container = new QWidget(content->parentWidget());
    vstack(0, container, insets)->addWidget(content);
    return container;
}

void addFlexibleSpace(QBoxLayout *stack, int minimum) {
    // A spacer gets no spacing of its own, but the item after it does, so that
    // spacing already counts towards the minimum.
    const bool across = stack->direction() == QBoxLayout::LeftToRight ||
                        stack->direction() == QBoxLayout::RightToLeft;
    const int length = std::max(0, minimum - std::max(0, stack->spacing()));
    stack->addItem(new QSpacerItem(across ? length : 0, across ? 0 : length,
                                   across ? QSizePolicy::Expanding : QSizePolicy::Minimum,
                                   across ? QSizePolicy::Minimum : QSizePolicy::Expanding));
}

} // namespace quorvel
