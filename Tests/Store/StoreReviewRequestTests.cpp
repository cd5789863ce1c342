#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

#include <memory>

#include "Notifications/RecordingNotifier.h"
#include "Support/StoreReviewRequest.h"
#include "Util/L10n.h"

namespace {

// Stands in for the software centre: takes what the desktop would open.
class SoftwareCentre : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.push_back(url); }
};

TEST(StoreReviewRequestTest, AsksThroughANotificationWhoseActionOpensTheReviewPage) {
    auto notifier = std::make_shared<quorvel::platform::RecordingNotifier>();
    const quorvel::ReviewPrompt::Request request = quorvel::storeReviewRequest(notifier);
    request(nullptr);

    ASSERT_EQ(notifier->posted().size(), 1u);
    const quorvel::platform::Notification &posted = notifier->posted().front();
    EXPECT_EQ(posted.title, quorvel::L10n::t("mas.footer.rate"));
    EXPECT_EQ(posted.body, quorvel::L10n::t("mas.footer.rate.help"));
    ASSERT_TRUE(posted.action);
    EXPECT_FALSE(posted.action->label.empty());

    SoftwareCentre centre;
    QDesktopServices::setUrlHandler(QStringLiteral("appstream"), &centre, "open");
    EXPECT_TRUE(notifier->invokeAction(0));
    QDesktopServices::unsetUrlHandler(QStringLiteral("appstream"));
    EXPECT_EQ(centre.opened, std::vector<QUrl>{QUrl(QStringLiteral(
                                 "appstream://io.quorvel.Quorvel?action=write-review"))});
}

} // namespace

#include "StoreReviewRequestTests.moc"
