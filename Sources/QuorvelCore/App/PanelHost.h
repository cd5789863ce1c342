#pragma once

#include <QWidget>

namespace quorvel {

// The window that holds the panel's content, sized by it. As a popover it is a
// frameless tool window that closes when the user clicks elsewhere or presses
// Escape; as a window (no tray) it is an ordinary window with a taskbar entry.
class PanelHost : public QWidget {
    Q_OBJECT
public:
    enum class Kind { popover, window };
    enum class CloseReason {
        clickedOutside, // the panel lost the focus to another window
        escape,
        requested,   // `dismiss`
        windowClosed // the user closed the ordinary window
    };

    PanelHost(QWidget *content, Kind kind, QWidget *parent = nullptr);

    Kind kind() const { return kind_; }
    QWidget *content() const { return content_; }
    // Hides the panel as a close for the user's sake.
    void dismiss();
    // For a panel opened from the keyboard: the window takes the keys and
    // the content puts the focus where reading starts.
    void takeKeyboard();

signals:
    void closed(quorvel::PanelHost::CloseReason reason);

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void hideFor(CloseReason reason);

    QWidget *content_;
    Kind kind_;
};

} // namespace quorvel
