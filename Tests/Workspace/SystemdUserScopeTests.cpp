#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

#include "FakeSystemd.h"
#include "Workspace/SystemdUserScope.h"

namespace {

using quorvel::platform::SystemdUserScope;

TEST(SystemdUserScope, UnitNamesAreEscapedAsSystemdEscapesThem) {
    const struct {
        std::string id;
        int32_t pid;
        std::optional<std::string> unit;
    } cases[] = {
        {"org.mozilla.firefox", 4242, "app-quorvel-org.mozilla.firefox-4242.scope"},
        {"google-chrome", 7, "app-quorvel-google\\x2dchrome-7.scope"},
        {"My App", 7, "app-quorvel-My\\x20App-7.scope"},
        {".hidden", 7, "app-quorvel-\\x2ehidden-7.scope"},
        {"kde/konsole", 7, "app-quorvel-kde-konsole-7.scope"},
        {"caf\xc3\xa9", 7, "app-quorvel-caf\\xc3\\xa9-7.scope"},
        {"a:b_c", 7, "app-quorvel-a:b_c-7.scope"},
        {"back\\slash", 7, "app-quorvel-back\\x5cslash-7.scope"},
        {std::string(229, 'a'), 1234567, "app-quorvel-" + std::string(229, 'a') + "-1234567.scope"},
        {std::string(230, 'a'), 1234567, std::nullopt}, // 256 bytes: too long for a unit
        {"", 7, std::nullopt},
        {"org.example.App", 0, std::nullopt},
        {"org.example.App", -3, std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(SystemdUserScope::unitName(c.id, c.pid), c.unit);
    }
}

TEST(SystemdUserScope, AsksTheUserInstanceForAScopeHoldingThePid) {
    FakeSystemd systemd;
    ASSERT_TRUE(systemd.ready());
    SystemdUserScope scope(
        [&]() -> std::optional<QDBusConnection> { return systemd.clientConnection(); });
    scope.adopt("org.example.Editor", 4242);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !systemd.units().empty(); }, 20000));
    ASSERT_EQ(systemd.units().size(), 1u);
    const FakeSystemd::TransientUnit &unit = systemd.units().front();
    EXPECT_EQ(unit.name, QStringLiteral("app-quorvel-org.example.Editor-4242.scope"));
    EXPECT_EQ(unit.mode, QStringLiteral("fail"));
    EXPECT_EQ(unit.pids, QList<uint>{4242});
    EXPECT_TRUE(unit.description.contains(QStringLiteral("org.example.Editor")));
}

TEST(SystemdUserScope, WithoutAUserInstanceNothingIsAsked) {
    bool asked = false;
    SystemdUserScope scope([&]() -> std::optional<QDBusConnection> {
        asked = true;
        return std::nullopt;
    });
    scope.adopt("org.example.Editor", 4242);
    EXPECT_TRUE(asked);
    scope.adopt("", 4242); // no name to give the scope: the bus is not even looked for
    scope.adopt("org.example.Editor", 0);

    QTemporaryDir runtime;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    EXPECT_FALSE(SystemdUserScope::userBus());
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_FALSE(SystemdUserScope::userBus());
    if (!saved.isNull()) qputenv("XDG_RUNTIME_DIR", saved);
}

} // namespace
