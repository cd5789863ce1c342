#pragma once

#include <memory>

#include "Notifications/Notifier.h"
#include "Support/ReviewPrompt.h"

namespace quorvel {

// The review request of a Linux desktop: a notification asking for a rating,
// whose one action opens our review page in the software centre. Where no
// notification service runs, nothing is shown; like a store's own request,
// whether the user sees it is not ours to know.
ReviewPrompt::Request storeReviewRequest(std::shared_ptr<platform::Notifier> notifier);

} // namespace quorvel
