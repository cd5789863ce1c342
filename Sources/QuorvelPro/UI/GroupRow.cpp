#include "UI/GroupRow.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

#include <algorithm>

#include "UI/AppIconView.h"
#include "UI/Badge.h"
#include "UI/Theme.h"
#include "UI/Toolkit/Keyboard.h"
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
constexpr int kShortestBar = 48;
constexpr int kBarGap = 10;
constexpr int kBarHeight = 4;
constexpr int kMenuSymbolSize = 16;
constexpr double kFocusRadius = 8;

ButtonStyle menuButtonStyle() {
    ButtonStyle style = labelOnly(systemFont(14, FontWeight::semibold), Theme::inkDim());
    style.fixedSize = QSize(22, 26);
    return style;
}

QIcon menuSymbol(const char *symbol) {
    return QIcon(SymbolImage::pixmap(symbol, kMenuSymbolSize, Theme::ink()));
}

// The usage bar and the caption beside it. The caption's figures matter more
// than the bar's length: where they need the room, the bar gives it up first,
// down to `kShortestBar`, and only then does the caption end with an ellipsis.
class BarLine : public QWidget {
public:
    BarLine(UsageBar *bar, TextView *caption, QWidget *parent)
        : QWidget(parent)
        , bar_(bar)
        , caption_(caption) {
        bar->setParent(this);
        caption->setParent(this);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override {
        return QSize(kBarWidth + kBarGap + caption_->sizeHint().width(),
                     caption_->sizeHint().height());
    }
    QSize minimumSizeHint() const override {
        return QSize(kShortestBar + kBarGap + caption_->minimumSizeHint().width(),
                     caption_->sizeHint().height());
    }

    // Places the two again, after a resize or a new caption; the bar leaves
    // room for a caption of `reserve` as well, so that the list's bars match.
    void fit(std::optional<int> reserve = std::nullopt) {
        if (reserve) reserve_ = *reserve;
        const int captionWidth = caption_->sizeHint().width();
        const int barWidth = std::clamp(width() - kBarGap - std::max(captionWidth, reserve_),
                                        kShortestBar, kBarWidth);
        bar_->setGeometry(0, (height() - kBarHeight) / 2, barWidth, kBarHeight);
        const int left = barWidth + kBarGap;
        caption_->setGeometry(left, 0, std::max(0, std::min(captionWidth, width() - left)),
                              height());
    }

protected:
    void resizeEvent(QResizeEvent *) override { fit(); }

private:
    UsageBar *bar_;
    TextView *caption_;
    int reserve_ = 0;
};

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
    // A row fits the list in every language: the name and the caption give
    // way, the menu button never.
    name_->setTruncates(true);
    caption_->setTruncates(true);
    barLine_ = new BarLine(bar_, caption_, this);
    attachPopupMenu(menuButton_, menu_);
    // The row takes the keyboard for its button, so Tab stops once a row.
    setFocusPolicy(Qt::TabFocus);
    menuButton_->setFocusPolicy(Qt::NoFocus);

    auto *row = hstack(11, this, Insets{16, 8, 16, 8});
    row->addWidget(icon_, 0, Qt::AlignVCenter);
    auto *column = vstack(6);
    auto *top = hstack(6);
    top->addWidget(name_, 0, Qt::AlignVCenter);
    top->addWidget(badge_, 0, Qt::AlignVCenter);
    addFlexibleSpace(top, 6);
    top->addWidget(footprint_, 0, Qt::AlignVCenter);
    column->addLayout(top);
    column->addWidget(barLine_);
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
    std::string sentence = L10n::plural("a11y.rowSentence", std::max<int64_t>(processCount, 1),
                                        group.displayName, Format::bytes(group.current), peak);
    if (group.isStopped || group.isKnownHog)
        sentence = L10n::t("a11y.row.withBadge", sentence, badge_->text().toStdString());
    // The row with the focus is read again only when its badge changes: its
    // figures change at every sample, and the reader would say them each time.
    const QString badge = group.isStopped || group.isKnownHog ? badge_->text() : QString();
    const bool badgeChanged = badge != shownBadge_;
    shownBadge_ = badge;
    if (qtText(sentence) != sentence_) {
        sentence_ = qtText(sentence);
        if (!hasFocus() || badgeChanged) describedNameChanged(this);
    }
    setSpokenName(menuButton_, qtText(L10n::t("a11y.row.menu", group.displayName)));
    setSpokenDescription(menuButton_,
                         blockReason_ && !group.isStopped ? qtText(*blockReason_) : QString());
    static_cast<BarLine *>(barLine_)->fit();
    barLine_->updateGeometry();
    rebuildMenu();
}

void GroupRow::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    paintFocusRing(painter, this, QRectF(rect()).adjusted(4, 1, -4, -1), kFocusRadius);
}

void GroupRow::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Menu: menuButton_->click(); return;
    default:
        if (!moveAmongRows(this, event)) QWidget::keyPressEvent(event);
    }
}

void GroupRow::focusInEvent(QFocusEvent *event) {
    // A row reached by the arrows may be scrolled out of sight.
    scrollIntoView(this);
    update();
    QWidget::focusInEvent(event);
}

void GroupRow::focusOutEvent(QFocusEvent *event) {
    update();
    QWidget::focusOutEvent(event);
}

int GroupRow::captionWidth() const {
    return caption_->sizeHint().width();
}

void GroupRow::alignBar(int widestCaption) {
    static_cast<BarLine *>(barLine_)->fit(widestCaption);
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
