#pragma once

#include <QWidget>

#include <vector>

#include "Model/PressureModels.h"

namespace quorvel {

class Sparkline;
class StatCell;
class TextView;

// The top of every panel: the level's dot, the title, the level's word and a
// chart of recent memory use; below, when asked and a reading exists, the
// installed, compressed and swapped memory.
class PressureHeaderView : public QWidget {
    Q_OBJECT
public:
    explicit PressureHeaderView(bool showStats, QWidget *parent = nullptr);

    void setPressure(const PressureSnapshot &pressure);
    void setHistory(std::vector<double> history);

    const PressureSnapshot &pressure() const { return pressure_; }
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
};

} // namespace quorvel
