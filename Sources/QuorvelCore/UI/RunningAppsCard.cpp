#include "UI/RunningAppsCard.h"

#include <QPainter>

#include "Support/StoreLinks.h"
#include "UI/Theme.h"
#include "UI/Toolkit/LinkButton.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/Shapes.h"
#include "UI/Toolkit/Stacks.h"
#include "UI/Toolkit/SymbolView.h"
#include "UI/Toolkit/TextView.h"
#include "UI/Toolkit/Typography.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

constexpr int kCornerRadius = 12;

// A text link: the label alone, in the accent colour.
ButtonStyle textLink() {
    return labelOnly(systemFont(11.5, FontWeight::medium), Theme::green());
}

} // namespace

RunningAppsCard::RunningAppsCard(QWidget *parent)
    : QWidget(parent) {
    auto *row = hstack(10, this, Insets::all(14));
    row->addWidget(new SymbolView("info.circle.fill", 13, Theme::inkDim(), this), 0, Qt::AlignTop);
    auto *column = vstack(5);
    count_ = new TextView(QString(), systemFont(13, FontWeight::semibold), Theme::ink(), this);
    auto *note = new TextView(qtText(L10n::t("mas.running.sandboxNote")),
                              systemFont(11.5, FontWeight::regular), Theme::inkDim(), this);
    note->setWrapping(true);
    learnMore_ = new LinkButton(textLink(), qtText(L10n::t("mas.running.learnMore")), {},
                                QUrl(QString::fromLatin1(StoreLinks::kProductSite)), this);
    column->addWidget(count_);
    column->addWidget(note);
    column->addWidget(learnMore_, 0, Qt::AlignLeft);
    row->addLayout(column, 1);
    setCount(0);
}

void RunningAppsCard::setCount(std::size_t count) {
    count_->setText(qtText(L10n::plural("mas.running.count", static_cast<int64_t>(count))));
}

void RunningAppsCard::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    Shapes::fill(painter, Shapes::roundedRect(rect(), kCornerRadius), Theme::surface());
}

} // namespace quorvel
