#include <gtest/gtest.h>

#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "Notifications/FreedesktopNotifier.h"
#include "Notifications/RecordingNotifier.h"
#include "Support/PrivateSessionBus.h"
#include "Support/RecordingNotificationService.h"
#include "Thresholds/ThresholdHarness.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

using platform::FreedesktopNotifier;
using platform::Notification;
using platform::NotificationAction;
using testing::PrivateSessionBus;
using testing::RecordingNotificationService;

// A private bus with a recording notification service on it, and a notifier
// that posts there.
struct NotificationBus {
    explicit NotificationBus(QStringList capabilities = {QStringLiteral("body")}) {
        EXPECT_TRUE(bus.started()) << "dbus-daemon (Debian package dbus) must be installed";
        service =
            std::make_unique<RecordingNotificationService>(bus.connect(), std::move(capabilities));
        EXPECT_TRUE(service->registered());
        notifier = std::make_shared<FreedesktopNotifier>(bus.connect());
    }

    bool awaitReceived(std::size_t count) const {
        return QTest::qWaitFor([&] { return service->received().size() >= count; }, 20000);
    }

    PrivateSessionBus bus;
    std::unique_ptr<RecordingNotificationService> service;
    std::shared_ptr<FreedesktopNotifier> notifier;
};

TEST(FreedesktopNotifier, EachPostIsANewNotificationFromQuorvel) {
    NotificationBus bus;
    bus.notifier->post("Editor is over its memory limit", "Editor is using 3 GB.");
    bus.notifier->post("Second", "Another one.");
    ASSERT_TRUE(bus.awaitReceived(2));
    const auto &received = bus.service->received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].appName, "Quorvel");
    EXPECT_EQ(received[0].appIcon, "io.quorvel.Quorvel");
    EXPECT_EQ(received[0].hints.value("desktop-entry").toString(), "io.quorvel.Quorvel");
    EXPECT_EQ(received[0].replacesID, 0u) << "none replaces another";
    EXPECT_EQ(received[0].title, "Editor is over its memory limit");
    EXPECT_EQ(received[0].body, "Editor is using 3 GB.");
    EXPECT_TRUE(received[0].actions.isEmpty());
    EXPECT_EQ(received[0].expireTimeout, -1);
    EXPECT_EQ(received[1].title, "Second");
    EXPECT_EQ(received[1].replacesID, 0u);
}

TEST(FreedesktopNotifier, TextsReachAServiceThatReadsMarkupAsPlainText) {
    const std::string body = "<b>R&D</b> \"tool\" is using 2 GB.";
    const std::pair<QStringList, QString> cases[] = {
        {{"body"}, QString::fromStdString(body)},
        {{"body", "body-markup"}, "&lt;b&gt;R&amp;D&lt;/b&gt; &quot;tool&quot; is using 2 GB."},
    };
    for (const auto &[capabilities, expected] : cases) {
        NotificationBus bus(capabilities);
        bus.notifier->post("<i>Title</i>", body);
        ASSERT_TRUE(bus.awaitReceived(1));
        EXPECT_EQ(bus.service->received()[0].body, expected)
            << capabilities.join(",").toStdString();
        EXPECT_EQ(bus.service->received()[0].title, "<i>Title</i>");
    }
}

TEST(FreedesktopNotifier, AnActionIsOfferedAndReportedOnceWhenPicked) {
    NotificationBus bus;
    int invoked = 0;
    bus.notifier->post(
        Notification{"Rate Quorvel", "Tell others what you think.",
                     NotificationAction{"review", "Write a review", [&] { ++invoked; }}});
    ASSERT_TRUE(bus.awaitReceived(1));
    const auto &received = bus.service->received()[0];
    EXPECT_EQ(received.actions, (QStringList{"review", "Write a review"}));

    // Another notification's action and another action of this one are not it.
    bus.service->invoke(received.id + 1, "review");
    bus.service->invoke(received.id, "other");
    bus.service->invoke(received.id, "review");
    bus.service->invoke(received.id, "review");
    // A later post's round trip shows the signals before it have arrived.
    bus.notifier->post("After", "After.");
    ASSERT_TRUE(bus.awaitReceived(2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return invoked > 0; }, 20000));
    QTest::qWait(0);
    EXPECT_EQ(invoked, 1);
}

TEST(FreedesktopNotifier, WithoutABusOrAServiceNothingIsPostedAndNothingFails) {
    FreedesktopNotifier noBus(
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/quorvel-test-bus"),
                                      QStringLiteral("quorvel-no-bus")));
    noBus.post("Title", "Body.");
    QDBusConnection::disconnectFromBus(QStringLiteral("quorvel-no-bus"));

    PrivateSessionBus bus;
    ASSERT_TRUE(bus.started());
    FreedesktopNotifier noService(bus.connect());
    noService.post("Title", "Body.");
    noService.post("Title", "Body.");
    // Once a service comes, posts reach it.
    RecordingNotificationService service(bus.connect(), {"body"});
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            noService.post("Later", "Body.");
            QTest::qWait(50);
            return !service.received().empty();
        },
        20000));
    EXPECT_EQ(service.received().back().title, "Later");
}

TEST(RecordingNotifier, KeepsPostsAndRunsTheirAction) {
    platform::RecordingNotifier notifier;
    int invoked = 0;
    notifier.post("Plain", "No action.");
    notifier.post(
        Notification{"With", "Action.", NotificationAction{"k", "Label", [&] { ++invoked; }}});
    ASSERT_EQ(notifier.posted().size(), 2u);
    EXPECT_FALSE(notifier.invokeAction(0));
    EXPECT_FALSE(notifier.invokeAction(2));
    EXPECT_TRUE(notifier.invokeAction(1));
    EXPECT_EQ(invoked, 1);
}

TEST(ThresholdNotifications, FiringRulesPostTheirTitlesAndTextsInTheRunsLanguage) {
    constexpr uint64_t kGiB = 1ull << 30;
    const AppGroup editor = testing::application("Editor", "org.example.Editor", {4242}, 3 * kGiB);
    NotificationBus bus;
    testing::ThresholdHarness harness;
    harness.notifier = bus.notifier;
    harness.governance.workspace->setRunning("org.example.Editor", {{4242, 5000 + 4242}});
    ThresholdController &controller = harness.make();
    const auto rule = [&](RuleAction action, double seconds) {
        return ThresholdRule{Uuid::random(), editor.key, "Editor", 2 * kGiB, seconds, action, true};
    };
    controller.setRules({rule(RuleAction::notify, 90), rule(RuleAction::suspend, 90),
                         rule(RuleAction::restart, 90)});
    controller.setAutomaticGovernanceOn(true);
    for (int t = 0; t <= 90; t += 2) harness.sampleAt(t, {editor});
    ASSERT_TRUE(bus.awaitReceived(3));
    QTest::qWait(0);

    const std::string body =
        L10n::t("governance.notify.body.atOverLimit", "Editor", Format::bytes(3 * kGiB),
                Format::bytes(2 * kGiB), L10n::plural("pro.rules.minutes", 2));
    std::vector<std::pair<QString, QString>> received;
    for (const auto &notification : bus.service->received())
        received.emplace_back(notification.title, notification.body);
    const auto qt = [](const std::string &text) { return QString::fromStdString(text); };
    const std::vector<std::pair<QString, QString>> expected{
        {qt(L10n::t("governance.notify.overLimit.title", "Editor")), qt(body)},
        {qt(L10n::t("governance.notify.suspended.title", "Editor")),
         qt(L10n::t("governance.notify.body.suspended", body))},
        {qt(L10n::t("governance.notify.restarted.title", "Editor")),
         qt(L10n::t("governance.notify.body.restarted", body))},
    };
    EXPECT_EQ(received, expected);
}

} // namespace
} // namespace quorvel
