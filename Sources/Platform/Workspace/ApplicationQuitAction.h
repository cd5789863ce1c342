#pragma once

#include <QDBusConnection>

#include <cstdint>
#include <vector>

namespace quorvel::platform {

// An application's own "Quit", where it exports its actions on the session
// bus under its well-known name (org.gtk.Actions, as every GApplication
// does). That is what the user's Quit does: the application asks about
// unsaved work in each window, and also quits when it has none open.
class ApplicationQuitAction {
public:
    explicit ApplicationQuitAction(QDBusConnection bus);

    // True when a process among `pids` owns a name that exports an enabled
    // "quit" action, and it was activated. Does not wait for the
    // application, which may be busy asking the user.
    bool activate(const std::vector<int32_t> &pids);

private:
    QDBusConnection bus_;
};

} // namespace quorvel::platform
