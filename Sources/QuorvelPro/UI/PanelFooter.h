#pragma once

#include <QWidget>

#include <functional>

class QAction;
class QActionGroup;
class QMenu;

namespace quorvel {

class StyledButton;

// The bottom of the panel: the focus-mode button (enter, or exit while a
// session runs), the history button and the settings menu with the sampling
// interval, the rules entry, starting at login and quitting.
class PanelFooter : public QWidget {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> enterSelect;
        std::function<void()> exitFocus;
        std::function<void()> showHistory;
        std::function<void(double seconds)> chooseInterval;
        std::function<void()> showRules;
        std::function<void()> quit;
    };

    explicit PanelFooter(Actions actions, QWidget *parent = nullptr);

    // While focus mode runs, the exit button replaces the enter button; the
    // enter button works only with something to freeze.
    void setFocusState(bool sessionActive, bool hasCandidates);
    // While the focus picker is open its confirm button enters focus mode,
    // so the footer shows no focus button of its own.
    void setPickerOpen(bool open);
    void setIntervalSeconds(double seconds);
    void setRulesArmed(bool armed);

    StyledButton *enterButton() const { return enter_; }
    StyledButton *exitButton() const { return exit_; }
    StyledButton *historyButton() const { return history_; }
    StyledButton *settingsButton() const { return settings_; }
    QMenu *settingsMenu() const { return menu_; }

private:
    void buildMenu();

    Actions actions_;
    StyledButton *enter_;
    StyledButton *exit_;
    StyledButton *history_;
    StyledButton *settings_;
    QMenu *menu_;
    QActionGroup *interval_ = nullptr;
    QAction *rules_ = nullptr;
    QAction *loginStart_ = nullptr;
    bool sessionActive_ = false;
    bool pickerOpen_ = false;
};

} // namespace quorvel
