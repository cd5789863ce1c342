#include "UI/FocusBanner.h"

#include <QPainter>

#include "UI/PanelOutlineButton.h"
#include "UI/Theme.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/Stacks.h"
#include "UI/Toolkit/StyledButton.h"
#include "UI/Toolkit/SymbolView.h"
#include "UI/Toolkit/TextView.h"
#include "UI/Toolkit/Typography.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {

FocusBanner::FocusBanner(std::function<void()> onExit, QWidget *parent)
    : QWidget(parent)
    , title_(new TextView(qtText(L10n::t("pro.focus.on")), systemFont(13, FontWeight::semibold),
                          Theme::ink(), this))
    , summary_(
          new TextView(QString(), systemFont(11.5, FontWeight::regular), Theme::inkDim(), this))
    , measured_(
          new TextView(QString(), systemFont(11, FontWeight::regular), Theme::inkFaint(), this))
    , exit_(new StyledButton(PanelOutlineButton(), qtText(L10n::t("pro.focus.exitShort")), {},
                             this)) {
    summary_->setWrapping(true);
    measured_->setWrapping(true);
    connect(exit_, &QAbstractButton::clicked, this, [onExit = std::move(onExit)] { onExit(); });

    auto *stack = vstack(6, this, Insets{16, 12, 16, 12});
    auto *header = hstack(7);
    header->addWidget(new SymbolView("moon.zzz.fill", 13, Theme::amber(), this), 0,
                      Qt::AlignVCenter);
    header->addWidget(title_, 0, Qt::AlignVCenter);
    addFlexibleSpace(header);
    header->addWidget(exit_, 0, Qt::AlignVCenter);
    stack->addLayout(header);
    stack->addWidget(summary_);
    stack->addWidget(measured_);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void FocusBanner::setSession(const FocusSession &session) {
    summary_->setText(qtText(L10n::plural("pro.focus.frozenSummary",
                                          static_cast<int64_t>(session.frozenApps.size()),
                                          Format::bytes(session.frozenFootprint))));
    const auto freeChange = session.freeChange();
    const auto compressedChange = session.compressedChange();
    if (freeChange && compressedChange) {
        measured_->setText(qtText(L10n::t("pro.focus.measured", Format::signedBytes(*freeChange),
                                          Format::signedBytes(*compressedChange))));
    }
    measured_->setVisible(freeChange && compressedChange);
}

void FocusBanner::paintEvent(QPaintEvent *) {
    QPainter(this).fillRect(rect(), Theme::withOpacity(Theme::amber(), 0.08));
}

} // namespace quorvel
