#include "UI/ApplicationList.h"

#include <algorithm>

#include "Engine/ProcessGovernor.h"
#include "UI/PanelLabel.h"
#include "UI/Theme.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/ScrollArea.h"
#include "UI/Toolkit/Stacks.h"
#include "UI/Toolkit/TextView.h"
#include "UI/Toolkit/Typography.h"
#include "Util/L10n.h"

namespace quorvel {

ApplicationList::ApplicationList(const ProcessGovernor &governor, GroupRow::Actions actions,
                                 QWidget *parent)
    : QWidget(parent)
    , governor_(governor) {
    auto *stack = vstack(0, this);
    auto *heading = hstack(0, nullptr, Insets{16, 14, 16, 6});
    heading->addWidget(new PanelLabel(qtText(L10n::t("pro.list.heading")), this), 0,
                       Qt::AlignVCenter);
    addFlexibleSpace(heading);
    heading->addWidget(new TextView(qtText(L10n::t("pro.list.columns")),
                                    systemFont(10.5, FontWeight::medium, FontDesign::monospaced),
                                    Theme::inkFaint(), this),
                       0, Qt::AlignVCenter);
    stack->addLayout(heading);

    sampling_ = new TextView(qtText(L10n::t("pro.list.sampling")),
                             systemFont(12, FontWeight::regular), Theme::inkDim(), this);
    sampling_->setWrapping(true);
    stack->addWidget(inset(sampling_, Insets::all(16)));

    auto *content = new QWidget;
    auto *column = vstack(0, content, Insets{0, 0, 0, 6});
    column->setAlignment(Qt::AlignTop);
    scroll_ = new ScrollArea(content, kMaximumHeight, this);
    stack->addWidget(scroll_);

    rows_ = std::make_unique<KeyedRows<AppGroup, std::string>>(
        column, [](const AppGroup &group) { return group.key; },
        [this, column, actions](const AppGroup &group) {
            auto *row = new GroupRow(actions, column->parentWidget());
            row->show(group, maxValue_, governor_.blockReason(group));
            return row;
        },
        [this](QWidget *row, const AppGroup &group) {
            static_cast<GroupRow *>(row)->show(group, maxValue_, governor_.blockReason(group));
        });
    showGroups({});
}

void ApplicationList::showGroups(const std::vector<AppGroup> &groups) {
    const bool empty = groups.empty();
    sampling_->parentWidget()->setVisible(empty);
    scroll_->setVisible(!empty);
    maxValue_ = empty ? 0 : groups.front().current;
    const auto shown = std::min(groups.size(), kTopCount);
    rows_->show(std::vector<AppGroup>(groups.begin(), groups.begin() + shown));
    int widestCaption = 0;
    for (std::size_t i = 0; i < shown; ++i)
        widestCaption = std::max(widestCaption, row(groups[i].key)->captionWidth());
    for (std::size_t i = 0; i < shown; ++i) row(groups[i].key)->alignBar(widestCaption);
    scroll_->updateGeometry();
}

GroupRow *ApplicationList::row(const std::string &key) const {
    return static_cast<GroupRow *>(rows_->row(key));
}

} // namespace quorvel
