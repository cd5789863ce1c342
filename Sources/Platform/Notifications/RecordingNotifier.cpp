#include "Notifications/RecordingNotifier.h"

#include <utility>

namespace quorvel::platform {

void RecordingNotifier::post(Notification notification) {
    posted_.push_back(std::move(notification));
}

bool RecordingNotifier::invokeAction(std::size_t index) {
    if (index >= posted_.size() || !posted_[index].action) return false;
    if (posted_[index].action->onInvoked) posted_[index].action->onInvoked();
    return true;
}

} // namespace quorvel::platform
