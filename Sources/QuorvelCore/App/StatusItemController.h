#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "App/PanelHost.h"
#include "App/StatusIcon.h"

namespace quorvel {

// Puts the program into the desktop's tray and hosts its panel: the icon
// shows the current symbol, a click opens or closes the panel. Where the
// desktop has no tray, the panel is an ordinary window instead, shown at
// once; closing it ends the program (`windowClosed`). Main thread only.
class StatusItemController final : public QObject {
    Q_OBJECT
public:
    using ContentBuilder = std::function<QWidget *()>;
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // A click that closes the panel by taking the focus from it reaches the
    // icon as an activation right after; within this time it opens nothing.
    static constexpr std::chrono::milliseconds kReopenGuard{400};

    // Builds the panel once from `content`. Takes the system tray unless given
    // another icon.
    StatusItemController(const QString &initialSymbol, const ContentBuilder &content,
                         std::unique_ptr<StatusIcon> icon = {}, Clock clock = {},
                         QObject *parent = nullptr);
    ~StatusItemController() override;

    // Redraws the icon when the name differs from the one shown.
    void setSymbol(const QString &symbol);
    const QString &symbol() const { return symbol_; }

    // For the user: opens the panel, or closes it when open.
    void togglePopover();
    // For the user at the keyboard (a launcher, or a tray that can be reached
    // by keys): opens the panel, or brings it forward, with the keyboard in it.
    void openForKeyboard();
    // For tooling: opens the panel without telling `onPanelOpen`; its close
    // then tells `onPanelClose` nothing either.
    void showPopover();
    bool isAutomatedShow() const { return isAutomatedShow_; }
    bool isPanelShown() const;

    std::function<void()> onPanelOpen;
    std::function<void()> onPanelClose;

    PanelHost *panel() const { return panel_; }
    bool hasTray() const { return hasTray_; }
    // The icon's frame where the tray tells it, else a 1 × 1 frame at the
    // pointer's position at the last click; absent before any click.
    std::optional<QRect> buttonFrameInScreen() const;
    // One line describing the icon's geometry, for tooling.
    QString diagnostics() const;

signals:
    // Without a tray: the user closed the panel's window.
    void windowClosed();

private:
    void activated(QPoint cursor);
    void open();
    void placePanel();
    void panelClosed(PanelHost::CloseReason reason);

    std::unique_ptr<StatusIcon> icon_;
    Clock clock_;
    QString symbol_;
    bool hasTray_;
    PanelHost *panel_;
    bool isAutomatedShow_ = false;
    std::optional<QPoint> lastActivation_;
    std::optional<std::chrono::steady_clock::time_point> closedByClickAt_;
};

} // namespace quorvel
