#include "Support/StoreReviewRequest.h"

#include <QDesktopServices>

#include "Util/L10n.h"

namespace quorvel {

ReviewPrompt::Request storeReviewRequest(std::shared_ptr<platform::Notifier> notifier) {
    return [notifier = std::move(notifier)](QWidget *) {
        notifier->post({L10n::t("mas.footer.rate"), L10n::t("mas.footer.rate.help"),
                        platform::NotificationAction{
                            "write-review", L10n::t("mas.footer.rate"),
                            [] { QDesktopServices::openUrl(ReviewPrompt::writeReviewURL()); }}});
    };
}

} // namespace quorvel
