#pragma once

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <string>

#include "Model/PressureModels.h"

class QAbstractButton;
class QVBoxLayout;

namespace quorvel {

class SymbolView;
class TextView;
class UsageBar;

// Memory health in plain words: the level's sentence, a gauge of what apps
// and the system use, the compression and swap signals, and a technical
// breakdown that opens on request.
class HealthReadout : public QWidget {
    Q_OBJECT
public:
    static constexpr uint64_t kActiveCompression = 256ull << 20;
    static constexpr uint64_t kHeavySwap = 2ull << 30;
    static constexpr int kDisclosureMilliseconds = 180;
    static constexpr int kGaugeHeight = 10;
    static constexpr double kGaugeMinimumFill = 6;

    // One signal row as it is drawn.
    struct Signal {
        std::string symbol;
        QColor color;
        QString text;

        bool operator==(const Signal &) const = default;
    };
    static Signal compressionSignal(uint64_t compressedBytes);
    static Signal swapSignal(uint64_t swapUsed);

    explicit HealthReadout(QWidget *parent = nullptr);

    void setReading(PressureLevel level, const VMSnapshot &vm);

    bool showsTech() const { return showTech_; }
    void toggleTech();

    TextView *title() const { return title_; }
    TextView *subtitle() const { return subtitle_; }
    UsageBar *gauge() const { return gauge_; }
    QAbstractButton *disclosure() const { return disclosure_; }
    SymbolView *chevron() const { return chevron_; }
    // Null while the breakdown is closed.
    QWidget *breakdown() const { return breakdown_; }
    const Signal &shownCompression() const { return compression_; }
    const Signal &shownSwap() const { return swap_; }

private:
    QWidget *makeSignalRow(SymbolView *&symbol, TextView *&text);
    QWidget *makeBreakdown();
    // The window grows or shrinks to the new content at once, so a
    // transition knows where its widget belongs.
    void settleLayout();
    void showSignal(const Signal &signal, SymbolView *symbol, TextView *text);

    bool showTech_ = false;
    VMSnapshot vm_;
    TextView *title_;
    TextView *subtitle_;
    TextView *inUse_;
    TextView *total_;
    UsageBar *gauge_;
    TextView *freeForApps_;
    SymbolView *compressionSymbol_ = nullptr;
    TextView *compressionText_ = nullptr;
    SymbolView *swapSymbol_ = nullptr;
    TextView *swapText_ = nullptr;
    Signal compression_;
    Signal swap_;
    QAbstractButton *disclosure_;
    SymbolView *chevron_;
    QVBoxLayout *techStack_;
    QPointer<QWidget> breakdown_;
};

} // namespace quorvel
