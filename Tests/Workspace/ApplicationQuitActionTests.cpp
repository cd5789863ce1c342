#include <gtest/gtest.h>

#include <QProcess>

#include <unistd.h>

#include "Support/PrivateSessionBus.h"
#include "Workspace/ApplicationQuitAction.h"

namespace {

using quorvel::platform::ApplicationQuitAction;

// A real GApplication: its own quit is activated only for its own process.
TEST(ApplicationQuitAction, ActivatesTheQuitOfTheApplicationThatOwnsTheName) {
    quorvel::testing::PrivateSessionBus bus;
    ASSERT_TRUE(bus.started());
    QProcess application;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    application.setProcessEnvironment(environment);
    application.start(QStringLiteral(QUORVEL_HELPER_DIR "/GioActionsChild"),
                      {QStringLiteral("io.quorvel.Test-Actions")});
    ASSERT_TRUE(application.waitForReadyRead(20000));
    ASSERT_EQ(application.readLine().trimmed(), "ready");
    const auto pid = static_cast<int32_t>(application.processId());

    ApplicationQuitAction quitAction(bus.connect());
    EXPECT_FALSE(quitAction.activate({}));
    EXPECT_FALSE(quitAction.activate({static_cast<int32_t>(::getpid()), pid + 100000}));
    EXPECT_TRUE(quitAction.activate({static_cast<int32_t>(::getpid()), pid}));
    ASSERT_TRUE(application.waitForFinished(20000));
    EXPECT_EQ(application.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(application.exitCode(), 0);
}

} // namespace
