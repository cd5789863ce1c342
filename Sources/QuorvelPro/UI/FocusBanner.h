#pragma once

#include <QWidget>

#include <functional>

#include "Model/GovernanceModels.h"

namespace quorvel {

class StyledButton;
class TextView;

// Shown while focus mode runs: what it froze, and once the second reading is
// in, how free and compressed memory moved.
class FocusBanner : public QWidget {
    Q_OBJECT
public:
    FocusBanner(std::function<void()> onExit, QWidget *parent = nullptr);

    void setSession(const FocusSession &session);

    TextView *title() const { return title_; }
    TextView *summary() const { return summary_; }
    // Hidden until the session has both readings.
    TextView *measured() const { return measured_; }
    StyledButton *exitButton() const { return exit_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TextView *title_;
    TextView *summary_;
    TextView *measured_;
    StyledButton *exit_;
};

} // namespace quorvel
