#pragma once

#include "UI/PanelBackground.h"
#include "UI/PanelMode.h"

namespace quorvel {

class MenuContent;
class PressureHeaderView;
class ProModel;

// The panel's root: the body on the panel background, 400 px wide, in the
// dark scheme with green as its tint. Closing the panel forgets the mode, the
// focus choice and a pending confirmation, so it opens afresh.
class ProRootView : public PanelBackground {
    Q_OBJECT
public:
    static constexpr int kWidth = 400;

    explicit ProRootView(ProModel &model, ProPanelScreen initialScreen = ProPanelScreen::normal,
                         QWidget *parent = nullptr);

    MenuContent *content() const { return content_; }
    PressureHeaderView *header() const;
    QWidget *firstControl() const override;

protected:
    void hideEvent(QHideEvent *event) override;

private:
    MenuContent *content_;
};

} // namespace quorvel
