#include "UI/PressureHeaderView.h"

#include <QGraphicsDropShadowEffect>
#include <QPainter>

#include "UI/Sparkline.h"
#include "UI/StatCell.h"
#include "UI/Theme.h"
#include "UI/Toolkit/Announcer.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/Shapes.h"
#include "UI/Toolkit/Stacks.h"
#include "UI/Toolkit/TextView.h"
#include "UI/Toolkit/Typography.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

constexpr int kDotSize = 9;
constexpr double kSparklineOpacity = 0.85;

// The level's dot, glowing softly in its own colour.
class StatusDot : public QWidget {
public:
    explicit StatusDot(QWidget *parent)
        : QWidget(parent) {
        setFixedSize(kDotSize, kDotSize);
        glow_ = new QGraphicsDropShadowEffect(this);
        glow_->setOffset(0, 0);
        glow_->setBlurRadius(8);
        setGraphicsEffect(glow_);
    }

    void setColor(const QColor &color) {
        color_ = color;
        glow_->setColor(Theme::withOpacity(color, 0.7));
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        Shapes::fill(painter, Shapes::capsule(rect()), color_);
    }

private:
    QColor color_;
    QGraphicsDropShadowEffect *glow_;
};

} // namespace

PressureHeaderView::PressureHeaderView(bool showStats, QWidget *parent)
    : QWidget(parent)
    , showStats_(showStats) {
    const QFont rowFont = systemFont(14, FontWeight::semibold);
    auto *dot = new StatusDot(this);
    dot_ = dot;
    title_ = new TextView(qtText(L10n::t("header.title")), rowFont, Theme::ink(), this);
    word_ = new TextView(QString(), rowFont, Theme::green(), this);
    sparkline_ = new Sparkline({}, Theme::green(), this);
    announcer_ = new Announcer(this);

    auto *stack = vstack(15, this, Insets{16, 15, 16, 14});
    auto *row = hstack(9);
    row->addWidget(dot_, 0, Qt::AlignVCenter);
    row->addWidget(title_, 0, Qt::AlignVCenter);
    row->addWidget(word_, 0, Qt::AlignVCenter);
    addFlexibleSpace(row, 8);
    row->addWidget(sparkline_, 0, Qt::AlignVCenter);
    stack->addLayout(row);

    stats_ = new QWidget(this);
    physical_ = new StatCell(QString(), qtText(L10n::t("header.stat.physical")), stats_);
    compressed_ = new StatCell(QString(), qtText(L10n::t("header.stat.compressed")), stats_);
    swap_ = new StatCell(QString(), qtText(L10n::t("header.stat.swap")), stats_);
    auto *cells = hstack(12, stats_);
    for (StatCell *cell : statCells()) cells->addWidget(cell, 1, Qt::AlignTop);
    stack->addWidget(stats_);

    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    refresh();
}

QWidget *PressureHeaderView::statsRow() const {
    return stats_->isHidden() ? nullptr : stats_;
}

void PressureHeaderView::setPressure(const PressureSnapshot &pressure) {
    const bool changed = pressure.level != pressure_.level;
    pressure_ = pressure;
    refresh();
    if (!changed) return;
    describedNameChanged(this);
    describedValueChanged(this, static_cast<double>(pressure_.level));
    // Unasked news for whoever has the panel open; a closed panel says nothing.
    if (window()->isVisible()) announcer_->announce(accessibleText());
}

QString PressureHeaderView::accessibleText() const {
    return qtText(text(pressure_.level));
}

std::optional<double> PressureHeaderView::accessibleValue() const {
    return static_cast<double>(pressure_.level);
}

QString PressureHeaderView::accessibleValueText() const {
    return qtText(word(pressure_.level));
}

void PressureHeaderView::setHistory(std::vector<double> history) {
    sparkline_->setValues(std::move(history));
}

void PressureHeaderView::refresh() {
    const QColor color = pressureColor(pressure_.level);
    static_cast<StatusDot *>(dot_)->setColor(color);
    word_->setText(qtText(word(pressure_.level)));
    word_->setColor(color);
    sparkline_->setColor(Theme::withOpacity(color, kSparklineOpacity));

    const bool stats = showStats_ && pressure_.vm.has_value();
    if (stats) {
        physical_->setValue(qtText(Format::bytes(pressure_.vm->totalBytes)));
        compressed_->setValue(qtText(Format::bytes(pressure_.vm->compressedBytes())));
        swap_->setValue(qtText(Format::bytes(pressure_.vm->swapUsed)));
    }
    stats_->setVisible(stats);
}

} // namespace quorvel
