#pragma once

#include <QObject>

#include <functional>

namespace quorvel {

// A second start of Quorvel while one runs, from an application launcher or a
// key the desktop binds to it, opens the running one's panel with the keyboard
// in it. The running one answers the freedesktop application interface under
// its own name on the session bus.
class PanelActivation : public QObject {
    Q_OBJECT
public:
    static constexpr char kService[] = "io.quorvel.Quorvel";
    static constexpr char kPath[] = "/io/quorvel/Quorvel";

    // Takes the name while it lives, where there is a session bus.
    explicit PanelActivation(std::function<void()> open, QObject *parent = nullptr);
    ~PanelActivation() override;

    // Asks the Quorvel that runs to open its panel; false where none answers.
    static bool askRunning();

private:
    bool registered_ = false;
};

} // namespace quorvel
