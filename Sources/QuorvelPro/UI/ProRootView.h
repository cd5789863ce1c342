#pragma once

#include "UI/PanelBackground.h"

namespace quorvel {

class PressureHeaderView;
class ProModel;

// The panel's root: the pressure header over the panel's body, 400 px wide,
// following the model.
class ProRootView : public PanelBackground {
    Q_OBJECT
public:
    static constexpr int kWidth = 400;

    explicit ProRootView(ProModel &model, QWidget *parent = nullptr);

    PressureHeaderView *header() const { return header_; }

private:
    PressureHeaderView *header_;
};

} // namespace quorvel
