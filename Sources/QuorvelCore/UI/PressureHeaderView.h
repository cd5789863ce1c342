#pragma once

#include <QWidget>

#include <vector>

#include "Model/PressureModels.h"
#include "UI/Toolkit/Describable.h"

namespace quorvel {

class Announcer;
class Sparkline;
class StatCell;
class TextView;

// The top of every panel: the level's dot, the title, the level's word and a
// chart of recent memory use; below, when asked and a reading exists, the
// installed, compressed and swapped memory.
class PressureHeaderView : public QWidget, public Describable {
    Q_OBJECT
public:
    explicit PressureHeaderView(bool showStats, QWidget *parent = nullptr);

    void setPressure(const PressureSnapshot &pressure);
    void setHistory(std::vector<double> history);

    const PressureSnapshot &pressure() const { return pressure_; }

    // Read as the level's sentence, with the level as its value; a change
    // of level while the panel is open is announced.
    QAccessible::Role accessibleRole() const override { return QAccessible::Indicator; }
    QString accessibleText() const override;
    std::optional<double> accessibleValue() const override;
    double accessibleMaximum() const override { return 2; }
    QString accessibleValueText() const override;
    // Parts a test or an owner may look at; owned by the header.
    TextView *title() const { return title_; }
    TextView *levelWord() const { return word_; }
    QWidget *statusDot() const { return dot_; }
    Sparkline *sparkline() const { return sparkline_; }
    // Absent (null) unless the stats row is shown.
    QWidget *statsRow() const;
    std::vector<StatCell *> statCells() const { return {physical_, compressed_, swap_}; }

private:
    void refresh();

    bool showStats_;
    PressureSnapshot pressure_;
    QWidget *dot_;
    TextView *title_;
    TextView *word_;
    Sparkline *sparkline_;
    QWidget *stats_;
    StatCell *physical_;
    StatCell *compressed_;
    StatCell *swap_;
    Announcer *announcer_;
};

} // namespace quorvel
