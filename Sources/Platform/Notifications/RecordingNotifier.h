#pragma once

#include <cstddef>
#include <vector>

#include "Notifications/Notifier.h"

namespace quorvel::platform {

// Keeps what is posted, for tests and the demo.
class RecordingNotifier final : public Notifier {
public:
    using Notifier::post;
    void post(Notification notification) override;

    const std::vector<Notification> &posted() const { return posted_; }
    // As if the user picked the action of the posted notification at `index`;
    // false when it has none.
    bool invokeAction(std::size_t index);

private:
    std::vector<Notification> posted_;
};

} // namespace quorvel::platform
