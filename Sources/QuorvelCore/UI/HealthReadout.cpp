#include "UI/HealthReadout.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPainter>

#include "UI/PanelLabel.h"
#include "UI/SegmentBar.h"
#include "UI/Theme.h"
#include "UI/Toolkit/Animation.h"
#include "UI/Toolkit/Keyboard.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/Shapes.h"
#include "UI/Toolkit/Stacks.h"
#include "UI/Toolkit/SymbolView.h"
#include "UI/Toolkit/TextView.h"
#include "UI/Toolkit/Typography.h"
#include "UI/UsageBar.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

constexpr int kSignalSymbolWidth = 15;

QString levelText(const char *family, PressureLevel level) {
    std::string key(family);
    key.append(levelName(level));
    return qtText(L10n::t(key));
}

TextView *wrapping(TextView *text) {
    text->setWrapping(true);
    return text;
}

// The colour square of a legend row.
class Swatch : public QWidget {
public:
    Swatch(const QColor &color, QWidget *parent)
        : QWidget(parent)
        , color_(color) {
        setFixedSize(10, 10);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        Shapes::fill(painter, Shapes::roundedRect(rect(), 3), color_);
    }

private:
    QColor color_;
};

// The whole row is the button: it draws nothing of its own.
class PlainRowButton : public QAbstractButton {
public:
    explicit PlainRowButton(QWidget *parent)
        : QAbstractButton(parent) {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        paintFocusRing(painter, this, rect(), 4);
    }
    void keyPressEvent(QKeyEvent *event) override {
        if (!clickOnEnter(this, event)) QAbstractButton::keyPressEvent(event);
    }
    QSize sizeHint() const override { return layout() ? layout()->sizeHint() : QSize(); }
};

struct Part {
    const char *key;
    QColor color;
    uint64_t bytes;
};

} // namespace

HealthReadout::Signal HealthReadout::compressionSignal(uint64_t compressedBytes) {
    if (compressedBytes >= kActiveCompression) {
        return {"rectangle.compress.vertical", Theme::purple(),
                qtText(L10n::t("mas.signal.compression.active", Format::bytes(compressedBytes)))};
    }
    return {"checkmark.circle.fill", Theme::green(),
            qtText(L10n::t("mas.signal.compression.idle"))};
}

HealthReadout::Signal HealthReadout::swapSignal(uint64_t swapUsed) {
    if (swapUsed == 0)
        return {"checkmark.circle.fill", Theme::green(), qtText(L10n::t("mas.signal.swap.idle"))};
    return {"internaldrive.fill", swapUsed >= kHeavySwap ? Theme::red() : Theme::amber(),
            qtText(L10n::t("mas.signal.swap.active", Format::bytes(swapUsed)))};
}

HealthReadout::HealthReadout(QWidget *parent)
    : QWidget(parent) {
    auto *stack = vstack(16, this, Insets{16, 14, 16, 14});

    auto *status = vstack(4);
    title_ = new TextView(QString(), systemFont(15, FontWeight::semibold), Theme::green(), this);
    subtitle_ = wrapping(
        new TextView(QString(), systemFont(12, FontWeight::regular), Theme::inkDim(), this));
    status->addWidget(title_);
    status->addWidget(subtitle_);
    stack->addLayout(status);

    auto *gaugeBlock = vstack(7);
    auto *figures = hstack(0);
    inUse_ =
        new TextView(QString(), systemFont(13, FontWeight::semibold, FontDesign::tabularDigits),
                     Theme::ink(), this);
    total_ = new TextView(QString(), systemFont(12, FontWeight::regular, FontDesign::tabularDigits),
                          Theme::inkFaint(), this);
    figures->addWidget(inUse_, 0, Qt::AlignBaseline);
    addFlexibleSpace(figures);
    figures->addWidget(total_, 0, Qt::AlignBaseline);
    gaugeBlock->addLayout(figures);
    gauge_ = new UsageBar(0, Theme::green(), this, kGaugeMinimumFill);
    gauge_->setFixedHeight(kGaugeHeight);
    gaugeBlock->addWidget(gauge_);
    freeForApps_ =
        new TextView(QString(), systemFont(12, FontWeight::regular, FontDesign::tabularDigits),
                     Theme::inkDim(), this);
    gaugeBlock->addWidget(freeForApps_);
    stack->addLayout(gaugeBlock);

    auto *signalsBlock = vstack(9);
    signalsBlock->addWidget(new PanelLabel(qtText(L10n::t("mas.signals.heading")), this));
    signalsBlock->addWidget(makeSignalRow(compressionSymbol_, compressionText_));
    signalsBlock->addWidget(makeSignalRow(swapSymbol_, swapText_));
    stack->addLayout(signalsBlock);

    techStack_ = vstack(12);
    disclosure_ = new PlainRowButton(this);
    disclosure_->setAccessibleName(qtText(L10n::t("mas.tech.disclosure")));
    auto *row = hstack(6, disclosure_);
    chevron_ = new SymbolView("chevron.right", 9, Theme::inkFaint(), disclosure_);
    row->addWidget(chevron_, 0, Qt::AlignVCenter);
    row->addWidget(new TextView(qtText(L10n::t("mas.tech.disclosure")),
                                tracked(systemFont(10.5, FontWeight::medium), 1.1),
                                Theme::inkFaint(), disclosure_),
                   0, Qt::AlignVCenter);
    addFlexibleSpace(row);
    connect(disclosure_, &QAbstractButton::clicked, this, &HealthReadout::toggleTech);
    techStack_->addWidget(disclosure_);
    stack->addLayout(techStack_);
}

QWidget *HealthReadout::makeSignalRow(SymbolView *&symbol, TextView *&text) {
    auto *row = new QWidget(this);
    auto *stack = hstack(9, row);
    symbol = new SymbolView({}, 12, Theme::green(), row);
    symbol->setFixedWidth(kSignalSymbolWidth);
    text = wrapping(
        new TextView(QString(), systemFont(12.5, FontWeight::regular), Theme::inkDim(), row));
    stack->addWidget(symbol, 0, Qt::AlignTop);
    stack->addWidget(text, 1);
    return row;
}

void HealthReadout::showSignal(const Signal &signal, SymbolView *symbol, TextView *text) {
    symbol->setSymbol(signal.symbol);
    symbol->setColor(signal.color);
    text->setText(signal.text);
}

void HealthReadout::setReading(PressureLevel level, const VMSnapshot &vm) {
    vm_ = vm;
    const QColor color = pressureColor(level);
    title_->setText(levelText("mas.status.title.", level));
    title_->setColor(color);
    subtitle_->setText(levelText("mas.status.subtitle.", level));
    inUse_->setText(qtText(L10n::t("mas.gauge.inUse", Format::bytes(vm.appsSystemBytes()))));
    total_->setText(qtText(L10n::t("mas.gauge.of", Format::bytes(vm.totalBytes))));
    gauge_->setValue(vm.appsSystemFraction(), color);
    freeForApps_->setText(
        qtText(L10n::t("mas.gauge.freeForApps", Format::bytes(vm.freeForAppsBytes()))));
    compression_ = compressionSignal(vm.compressedBytes());
    swap_ = swapSignal(vm.swapUsed);
    showSignal(compression_, compressionSymbol_, compressionText_);
    showSignal(swap_, swapSymbol_, swapText_);
    if (breakdown_) {
        // Rebuilt in place: its figures are few and change with every reading.
        QWidget *fresh = makeBreakdown();
        techStack_->replaceWidget(breakdown_, fresh);
        fresh->show();
        delete breakdown_;
        breakdown_ = fresh;
    }
}

QWidget *HealthReadout::makeBreakdown() {
    const Part parts[] = {
        {"mas.tech.legend.active", Theme::green(), vm_.activeBytes()},
        {"mas.tech.legend.wired", Theme::blue(), vm_.wiredBytes()},
        {"mas.tech.legend.compressed", Theme::purple(), vm_.compressedBytes()},
        {"mas.tech.legend.cached", Theme::inkFaint(), vm_.cachedBytes()},
        {"mas.tech.legend.free", Theme::hairline(), vm_.freeBytes()},
    };
    auto *breakdown = new QWidget(this);
    auto *stack = vstack(7, breakdown);
    std::vector<SegmentBar::Segment> segments;
    for (const Part &part : parts) segments.push_back({part.color, double(part.bytes)});
    stack->addWidget(new SegmentBar(std::move(segments), breakdown));
    for (const Part &part : parts) {
        auto *row = hstack(9);
        row->addWidget(new Swatch(part.color, breakdown), 0, Qt::AlignVCenter);
        row->addWidget(new TextView(qtText(L10n::t(part.key)), systemFont(13, FontWeight::regular),
                                    Theme::inkDim(), breakdown),
                       0, Qt::AlignVCenter);
        addFlexibleSpace(row);
        row->addWidget(new TextView(qtText(Format::bytes(part.bytes)),
                                    systemFont(13, FontWeight::medium, FontDesign::tabularDigits),
                                    Theme::ink(), breakdown),
                       0, Qt::AlignVCenter);
        stack->addLayout(row);
    }
    stack->addWidget(new TextView(qtText(L10n::t("mas.tech.swapUsed", Format::bytes(vm_.swapUsed))),
                                  systemFont(11, FontWeight::regular), Theme::ink(), breakdown));
    return breakdown;
}

void HealthReadout::settleLayout() {
    QWidget *top = window();
    if (top->layout()) top->layout()->activate();
    top->adjustSize();
    layout()->activate();
}

void HealthReadout::toggleTech() {
    showTech_ = !showTech_;
    animateEaseInOut(chevron_, "rotation", showTech_ ? 90.0 : 0.0, kDisclosureMilliseconds);
    if (showTech_) {
        breakdown_ = makeBreakdown();
        techStack_->addWidget(breakdown_);
        breakdown_->show(); // a layout would show it only later, after this pass
        settleLayout();
        // Moves in towards the place the layout gave it.
        fadeAndMoveIn(breakdown_, Edge::top, kDisclosureMilliseconds);
    } else if (breakdown_) {
        QWidget *leaving = breakdown_;
        breakdown_ = nullptr;
        techStack_->removeWidget(leaving);
        fadeAndMoveOut(leaving, Edge::top, kDisclosureMilliseconds);
        settleLayout();
    }
}

} // namespace quorvel
