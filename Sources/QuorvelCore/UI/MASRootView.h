#pragma once

#include "UI/PanelBackground.h"

class QAbstractButton;

namespace quorvel {

class HealthReadout;
class LinkButton;
class MASModel;
class PressureHeaderView;
class RunningAppsCard;

// The store edition's whole panel: the pressure header, memory health in
// plain words, how many applications run, a rate link and quit. It reads the
// store edition's model only and controls no process.
class MASRootView : public PanelBackground {
    Q_OBJECT
public:
    static constexpr int kWidth = 380;

    explicit MASRootView(MASModel &model, QWidget *parent = nullptr);

    PressureHeaderView *header() const { return header_; }
    // Hidden while the model has no memory reading.
    HealthReadout *health() const { return health_; }
    RunningAppsCard *runningApps() const { return card_; }
    LinkButton *rateLink() const { return rate_; }
    QAbstractButton *quitButton() const { return quit_; }

private:
    void showPressure();

    MASModel &model_;
    PressureHeaderView *header_;
    HealthReadout *health_;
    RunningAppsCard *card_;
    LinkButton *rate_;
    QAbstractButton *quit_;
};

} // namespace quorvel
