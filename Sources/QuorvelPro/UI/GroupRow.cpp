#include "UI/GroupRow.h"

#include <QMenu>

#include "UI/AppIconView.h"
#include "UI/Badge.h"
#include "UI/Theme.h"
#include "UI/Toolkit/PopupMenu.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/Stacks.h"
#include "UI/Toolkit/StyledButton.h"
#include "UI/Toolkit/TextView.h"
#include "UI/Toolkit/Typography.h"
#include "UI/UsageBar.h"
#include "Util/Format.h"
#include "Util/L10n.h"
#include "Util/SymbolImage.h"

namespace quorvel {
namespace {

constexpr int kIconSide = 29;
constexpr double kIconRadius = 7;
constexpr double kStoppedIconOpacity = 0.5;
constexpr int kBarWidth = 108;
constexpr int kBarHeight = 4;
constexpr int kMenuSymbolSize = 16;

ButtonStyle menuButtonStyle() {
    ButtonStyle style = labelOnly(systemFont(14, FontWeight::semibold), Theme::inkDim());
    style.fixedSize = QSize(22, 26);
    return style;
}

QIcon menuSymbol(const char *symbol) {
    return QIcon(SymbolImage::pixmap(symbol, kMenuSymbolSize, Theme::ink()));
}

} // namespace

GroupRow::GroupRow(Actions actions, QWidget *parent)
    : QWidget(parent)
    , actions_(std::move(actions))
    , icon_(new AppIconView(kIconSide, kIconRadius, this))
    , name_(new TextView(QString(), systemFont(14, FontWeight::semibold), Theme::ink(), this))
    , badge_(new Badge(QString(), Theme::amber(), this))
    , footprint_(new TextView(QString(),
                              systemFont(13, FontWeight::semibold, FontDesign::tabularDigits),
                              Theme::ink(), this))
    , bar_(new UsageBar(0, Theme::green(), this))
    , caption_(new TextView(QString(),
                            systemFont(10.5, FontWeight::regular, FontDesign::monospaced),
                            Theme::inkFaint(), this))
    , menuButton_(new StyledButton(menuButtonStyle(), QString(), "ellipsis", this))
    , menu_(new QMenu(this)) {
    bar_->setFixedSize(kBarWidth, kBarHeight);
    attachPopupMenu(menuButton_, menu_);

    auto *row = hstack(11, this, Insets{16, 8, 16, 8});
    row->addWidget(icon_, 0, Qt::AlignVCenter);
    auto *column = vstack(6);
    auto *top = hstack(6);
    top->addWidget(name_, 0, Qt::AlignVCenter);
    top->addWidget(badge_, 0, Qt::AlignVCenter);
    addFlexibleSpace(top, 6);
    top->addWidget(footprint_, 0, Qt::AlignVCenter);
    column->addLayout(top);
    auto *bottom = hstack(10);
    bottom->addWidget(bar_, 0, Qt::AlignVCenter);
    bottom->addWidget(caption_, 0, Qt::AlignVCenter);
    addFlexibleSpace(bottom);
    column->addLayout(bottom);
    row->addLayout(column, 1);
    row->addWidget(menuButton_, 0, Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

double GroupRow::fraction(uint64_t current, uint64_t maxValue) {
    const uint64_t whole = maxValue <= 1 ? 1 : maxValue;
    return static_cast<double>(current) / static_cast<double>(whole);
}

void GroupRow::show(const AppGroup &group, uint64_t maxValue,
                    std::optional<std::string> blockReason) {
    group_ = group;
    blockReason_ = std::move(blockReason);

    icon_->setApplication(group.appPath);
    icon_->setIconOpacity(group.isStopped ? kStoppedIconOpacity : 1.0);
    name_->setText(qtText(group.displayName));
    // Names for driving the panel from outside (see WidgetMap).
    const QString name = QStringLiteral("row:") + qtText(group.displayName);
    menuButton_->setObjectName(name + QStringLiteral(":menu"));
    badge_->setObjectName(name + QStringLiteral(":badge"));
    if (group.isStopped) {
        badge_->setBadge(qtText(L10n::t("pro.badge.frozen")), Theme::blue());
    } else if (group.isKnownHog) {
        badge_->setBadge(qtText(L10n::t("pro.badge.hog")), Theme::amber());
    }
    badge_->setVisible(group.isStopped || group.isKnownHog);
    footprint_->setText(qtText(Format::bytes(group.current)));

    const double share = fraction(group.current, maxValue);
    bar_->setValue(share, group.isStopped ? Theme::inkFaint() : Theme::usageColor(share));
    const std::string peak = Format::bytes(group.peak);
    const auto processCount = static_cast<int64_t>(group.processes.size());
    caption_->setText(qtText(processCount >= 2
                                 ? L10n::plural("pro.list.procsPeak", processCount, peak)
                                 : L10n::t("pro.list.peak", peak)));
    rebuildMenu();
}

void GroupRow::rebuildMenu() {
    // Rebuilt only when its entries change, so a menu open across a sample
    // keeps its entries and its highlight.
    const std::pair<bool, std::optional<std::string>> state{
        group_.isStopped, group_.isStopped ? std::nullopt : blockReason_};
    if (menuBuiltFor_ == state) return;
    menuBuiltFor_ = state;
    menu_->clear();
    if (group_.isStopped) {
        menu_->addAction(menuSymbol("play.fill"), qtText(L10n::t("pro.action.resume")), this,
                         [this] { actions_.onResume(group_); });
    } else if (blockReason_) {
        menu_->addAction(menuSymbol("lock.fill"), qtText(*blockReason_))->setEnabled(false);
    } else {
        menu_->addAction(menuSymbol("pause.fill"), qtText(L10n::t("pro.action.suspend")), this,
                         [this] { actions_.onSuspend(group_); });
        menu_->addAction(menuSymbol("arrow.clockwise"), qtText(L10n::t("pro.action.restart")), this,
                         [this] { actions_.onRestart(group_); });
    }
}

} // namespace quorvel
