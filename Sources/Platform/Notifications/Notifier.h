#pragma once

#include <functional>
#include <optional>
#include <string>

namespace quorvel::platform {

// A button on a notification. `onInvoked` runs on the main thread when the
// user picks it; it should hold its owner weakly.
struct NotificationAction {
    std::string key;
    std::string label;
    std::function<void()> onInvoked;
};

// One notification for the user; each post shows a new one.
struct Notification {
    std::string title;
    std::string body;
    std::optional<NotificationAction> action;
};

// Shows notifications without waiting for them; a post that cannot be shown
// is dropped silently. Main thread only.
class Notifier {
public:
    virtual ~Notifier() = default;

    virtual void post(Notification notification) = 0;
    void post(std::string title, std::string body) {
        post(Notification{std::move(title), std::move(body), std::nullopt});
    }
};

} // namespace quorvel::platform
