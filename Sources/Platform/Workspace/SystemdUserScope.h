#pragma once

#include <QDBusConnection>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quorvel::platform {

// Moves a process that Quorvel started into a transient scope of the user's
// systemd instance, as desktop shells do, so that the application and its
// helpers count as that application and not as part of Quorvel.
class SystemdUserScope {
public:
    // The bus that carries the user's systemd instance, or nothing.
    using BusProvider = std::function<std::optional<QDBusConnection>()>;

    explicit SystemdUserScope(BusProvider bus = userBus);

    // "app-quorvel-<desktop file ID>-<pid>.scope" with the ID escaped for a
    // unit name; nothing when there is no ID or pid or the name would be too
    // long for a unit.
    static std::optional<std::string> unitName(const std::string &desktopFileID, int32_t pid);

    // Sends the request and returns at once. Without a systemd user instance
    // nothing is sent; a refusal goes unnoticed, as the process runs anyway.
    void adopt(const std::string &desktopFileID, int32_t pid);

    // The session bus when a systemd user instance runs.
    static std::optional<QDBusConnection> userBus();

private:
    BusProvider bus_;
};

} // namespace quorvel::platform
