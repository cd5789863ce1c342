#include "UI/FocusSelectView.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPainter>

#include "UI/AppIconView.h"
#include "UI/GreenCTAButton.h"
#include "UI/PanelOutlineButton.h"
#include "UI/PanelTag.h"
#include "UI/Theme.h"
#include "UI/Toolkit/Describable.h"
#include "UI/Toolkit/Keyboard.h"
#include "UI/Toolkit/Opacity.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/ScrollArea.h"
#include "UI/Toolkit/Stacks.h"
#include "UI/Toolkit/StyledButton.h"
#include "UI/Toolkit/SymbolView.h"
#include "UI/Toolkit/TextView.h"
#include "UI/Toolkit/Typography.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

constexpr double kDisabledOpacity = 0.5;
constexpr int kConfirmLabelMargin = 12;
constexpr double kFocusRadius = 8;

// One candidate as a plain button: its check mark, icon, name, hog tag and
// footprint.
class CandidateRow : public QAbstractButton {
public:
    explicit CandidateRow(QWidget *parent)
        : QAbstractButton(parent)
        , check_(new SymbolView("circle", 16, Theme::inkFaint(), this))
        , icon_(new AppIconView(18, 4, this))
        , name_(new TextView(QString(), systemFont(13, FontWeight::regular), Theme::ink(), this))
        , hog_(new PanelTag(qtText(L10n::t("pro.badge.hog")), Theme::amber(),
                            Theme::withOpacity(Theme::amber(), 0.16), this))
        , footprint_(new TextView(QString(),
                                  systemFont(12, FontWeight::regular, FontDesign::tabularDigits),
                                  Theme::inkDim(), this)) {
        setCursor(Qt::PointingHandCursor);
        // Checked while chosen, which is how a screen reader tells it.
        setCheckable(true);
        setFocusPolicy(Qt::TabFocus);
        // A long name gives way to the tag and the footprint.
        name_->setTruncates(true);
        auto *row = hstack(8, this, Insets{16, 6, 16, 6});
        for (QWidget *part : {static_cast<QWidget *>(check_), static_cast<QWidget *>(icon_),
                              static_cast<QWidget *>(name_), static_cast<QWidget *>(hog_)})
            row->addWidget(part, 0, Qt::AlignVCenter);
        addFlexibleSpace(row);
        row->addWidget(footprint_, 0, Qt::AlignVCenter);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    void show(const AppGroup &group, bool selected) {
        check_->setSymbol(selected ? "checkmark.circle.fill" : "circle");
        check_->setColor(selected ? Theme::green() : Theme::inkFaint());
        icon_->setApplication(group.appPath);
        name_->setText(qtText(group.displayName));
        setObjectName(QStringLiteral("focus:") + qtText(group.displayName));
        hog_->setVisible(group.isKnownHog);
        footprint_->setText(qtText(Format::bytes(group.current)));
        setChecked(selected);
        std::string name =
            L10n::t("a11y.row.withBadge", group.displayName, Format::bytes(group.current));
        if (group.isKnownHog) name = L10n::t("a11y.row.withBadge", name, L10n::t("pro.badge.hog"));
        setSpokenName(this, qtText(name));
    }

    QSize sizeHint() const override { return layout()->sizeHint(); }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        paintFocusRing(painter, this, QRectF(rect()).adjusted(4, 1, -4, -1), kFocusRadius);
    }
    void keyPressEvent(QKeyEvent *event) override {
        if (!clickOnEnter(this, event) && !moveAmongRows(this, event))
            QAbstractButton::keyPressEvent(event);
    }
    void focusInEvent(QFocusEvent *event) override {
        scrollIntoView(this);
        QAbstractButton::focusInEvent(event);
    }

private:
    SymbolView *check_;
    AppIconView *icon_;
    TextView *name_;
    PanelTag *hog_;
    TextView *footprint_;
};

} // namespace

FocusSelectView::FocusSelectView(std::function<void()> onConfirm, std::function<void()> onCancel,
                                 QWidget *parent)
    : QWidget(parent)
    , confirm_(new StyledButton(GreenCTAButton(), QString(), {}, this))
    , cancel_(
          new StyledButton(PanelOutlineButton(), qtText(L10n::t("pro.action.cancel")), {}, this)) {
    auto *stack = vstack(0, this);
    auto *header = vstack(2, nullptr, Insets{16, 12, 16, 8});
    header->addWidget(new TextView(qtText(L10n::t("pro.focus.picker.title")),
                                   systemFont(13, FontWeight::semibold), Theme::ink(), this));
    auto *note = new TextView(qtText(L10n::t("pro.focus.picker.note")),
                              systemFont(11, FontWeight::regular), Theme::inkDim(), this);
    note->setWrapping(true);
    header->addWidget(note);
    stack->addLayout(header);

    auto *content = new QWidget;
    auto *column = vstack(0, content);
    column->setAlignment(Qt::AlignTop);
    stack->addWidget(new ScrollArea(content, kMaximumListHeight, this));

    auto *footer = hstack(0, nullptr, Insets{16, 12, 16, 12});
    footer->addWidget(cancel_, 0, Qt::AlignVCenter);
    addFlexibleSpace(footer);
    confirm_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    confirm_->setObjectName(QStringLiteral("focus:confirm"));
    footer->addWidget(confirm_, 0, Qt::AlignVCenter);
    stack->addLayout(footer);
    connect(confirm_, &QAbstractButton::clicked, this,
            [onConfirm = std::move(onConfirm)] { onConfirm(); });
    connect(cancel_, &QAbstractButton::clicked, this,
            [onCancel = std::move(onCancel)] { onCancel(); });

    rows_ = std::make_unique<KeyedRows<AppGroup, std::string>>(
        column, [](const AppGroup &group) { return group.key; },
        [this, content](const AppGroup &group) {
            auto *row = new CandidateRow(content);
            connect(row, &QAbstractButton::clicked, this, [this, key = group.key] { toggle(key); });
            row->show(group, selected_.count(group.key) > 0);
            return row;
        },
        [this](QWidget *row, const AppGroup &group) {
            static_cast<CandidateRow *>(row)->show(group, selected_.count(group.key) > 0);
        });
    refresh();
}

void FocusSelectView::setCandidates(const std::vector<AppGroup> &candidates) {
    candidates_ = candidates;
    refresh();
}

void FocusSelectView::setSelected(std::set<std::string> selected) {
    selected_ = std::move(selected);
    refresh();
}

bool FocusSelectView::toggle(const std::string &key) {
    if (!rows_->row(key)) return false;
    if (!selected_.erase(key)) selected_.insert(key);
    refresh();
    return true;
}

std::vector<AppGroup> FocusSelectView::selectedCandidates() const {
    std::vector<AppGroup> chosen;
    for (const AppGroup &candidate : candidates_) {
        if (selected_.count(candidate.key)) chosen.push_back(candidate);
    }
    return chosen;
}

uint64_t FocusSelectView::selectedTotal() const {
    uint64_t total = 0;
    for (const AppGroup &candidate : selectedCandidates()) total += candidate.current;
    return total;
}

void FocusSelectView::refresh() {
    rows_->show(candidates_);
    // Rows come with samples, after the buttons below them: Tab reads down.
    std::vector<QWidget *> order;
    for (const AppGroup &candidate : candidates_) order.push_back(rows_->row(candidate.key));
    order.insert(order.end(), {confirm_, cancel_});
    chainTabOrder(order);
    // Counts only selected keys that are still candidates: an application
    // that quit since it was chosen would not be frozen.
    const std::vector<AppGroup> chosen = selectedCandidates();
    confirm_->setText(
        qtText(L10n::t("pro.focus.picker.confirm", static_cast<int64_t>(chosen.size()),
                       Format::bytes(selectedTotal()))));
    // Wider only when a language's label would not fit.
    confirm_->setMinimumWidth(
        std::max(kConfirmWidth, confirm_->sizeHint().width() + 2 * kConfirmLabelMargin));
    confirm_->setEnabled(!chosen.empty());
    setDrawnOpacity(confirm_, chosen.empty() ? kDisabledOpacity : 1.0);
}

} // namespace quorvel
