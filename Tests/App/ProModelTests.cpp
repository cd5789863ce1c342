#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "App/ProModel.h"
#include "Support/FixedPressure.h"
#include "Support/ScriptedParts.h"

namespace quorvel {
namespace {

using namespace std::chrono_literals;

using test::fixedReading;
using test::scriptedParts;

VMSnapshot halfUsed() {
    return VMSnapshot{4096, 8192, 1};
}

TEST(ProModel, StartsEmptyAndTakesTheFirstSnapshot) {
    ProModel model(scriptedParts(fixedReading(halfUsed())));
    EXPECT_EQ(model.pressure(), PressureSnapshot{});
    EXPECT_TRUE(model.usageHistory().empty());
    EXPECT_EQ(model.menuBarSymbol(), QStringLiteral("memorychip"));

    ASSERT_TRUE(QTest::qWaitFor([&] { return model.pressure().vm.has_value(); }, 10000));
    EXPECT_EQ(model.usageHistory(), std::vector<double>{0.5});
}

TEST(ProModel, KeepsTheLatestFortyFractions) {
    ProModel model(scriptedParts(fixedReading(std::nullopt)));
    for (int i = 1; i <= 41; ++i) {
        VMSnapshot vm{4096, 4096 * 100, static_cast<uint64_t>(100 - i)};
        model.receivePressure({PressureLevel::normal, vm});
    }
    ASSERT_EQ(model.usageHistory().size(), 40u);
    EXPECT_DOUBLE_EQ(model.usageHistory().front(), 0.02);
    EXPECT_DOUBLE_EQ(model.usageHistory().back(), 0.41);

    model.receivePressure({PressureLevel::warning, std::nullopt});
    EXPECT_EQ(model.usageHistory().size(), 40u);
    EXPECT_DOUBLE_EQ(model.usageHistory().back(), 0.41);
    model.receivePressure({PressureLevel::normal, VMSnapshot{}});
    EXPECT_DOUBLE_EQ(model.usageHistory().back(), 0.0);
}

TEST(ProModel, PublishesTheSymbolOnEverySnapshot) {
    ProModel model(scriptedParts(fixedReading(std::nullopt)));
    QSignalSpy symbols(&model, &ProModel::menuBarSymbolChanged);
    QSignalSpy pressures(&model, &ProModel::pressureChanged);
    QSignalSpy histories(&model, &ProModel::usageHistoryChanged);
    const std::pair<PressureLevel, const char *> sequence[] = {
        {PressureLevel::warning, "exclamationmark.circle"},
        {PressureLevel::warning, "exclamationmark.circle"},
        {PressureLevel::critical, "exclamationmark.triangle.fill"},
        {PressureLevel::normal, "memorychip"},
    };
    for (const auto &[level, expected] : sequence) {
        model.receivePressure({level, std::nullopt});
        EXPECT_EQ(model.menuBarSymbol(), QString::fromLatin1(expected));
    }
    EXPECT_EQ(symbols.count(), 4);
    EXPECT_EQ(symbols.at(1).at(0).toString(), QStringLiteral("exclamationmark.circle"));
    EXPECT_EQ(pressures.count(), 4);
    EXPECT_EQ(histories.count(), 0);
}

TEST(ProModel, IgnoresDeliveriesAfterItIsGone) {
    auto model = std::make_unique<ProModel>(scriptedParts(fixedReading(halfUsed())));
    model.reset();
    QTest::qWait(50);
}

} // namespace
} // namespace quorvel
