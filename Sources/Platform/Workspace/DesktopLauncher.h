#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Workspace/SystemdUserScope.h"

namespace quorvel::platform {

// Starts applications from their desktop entries the way a desktop shell
// does: detached from Quorvel, in a session of their own and in a systemd
// scope of their own, so they outlive Quorvel and are never its children.
class DesktopLauncher final : public QObject {
    Q_OBJECT
public:
    // Nothing once the process has started, or a plain sentence saying what failed.
    using Completion = std::function<void(std::optional<std::string> errorDescription)>;

    struct Outcome {
        std::optional<std::string> error;
        int32_t pid = 0; // 0 when the entry was started without a process of ours, or failed
    };

    explicit DesktopLauncher(std::unique_ptr<SystemdUserScope> scope, QObject *parent = nullptr);
    ~DesktopLauncher() override;

    // Starts the entry at `path`; `completion` runs on a later turn of this
    // object's event loop. `desktopFileID` names the scope; without it the
    // entry's file name serves.
    void open(const std::string &path, std::optional<std::string> desktopFileID,
              Completion completion);

    // Starts the entry at once, without a scope.
    static Outcome launch(const std::string &path);

private:
    std::unique_ptr<SystemdUserScope> scope_;
};

} // namespace quorvel::platform
