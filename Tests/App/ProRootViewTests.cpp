#include <gtest/gtest.h>

#include "App/ProModel.h"
#include "Support/FixedPressure.h"
#include "Support/Rendering.h"
#include "Support/ScriptedParts.h"
#include "UI/PressureHeaderView.h"
#include "UI/ProRootView.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/TextView.h"

namespace quorvel {
namespace {

VMSnapshot reading(uint64_t usedPages) {
    VMSnapshot vm;
    vm.pageSize = 4096;
    vm.totalBytes = 4096ull * 4'000'000;
    vm.activePages = usedPages;
    vm.wiredPages = 300'000;
    vm.freePages = 4'000'000 - usedPages - 300'000;
    vm.compressedPages = 150'000;
    vm.swapUsed = 1ull << 30;
    return vm;
}

TEST(ProRootView, IsAPanelWideHeaderThatFollowsTheModel) {
    ProModel model(test::scriptedParts(test::fixedReading(std::nullopt)));
    ProRootView root(model);
    EXPECT_EQ(root.header()->statsRow(), nullptr);

    const struct {
        PressureLevel level;
        const char *name;
    } levels[] = {{PressureLevel::normal, "normal"},
                  {PressureLevel::warning, "warning"},
                  {PressureLevel::critical, "critical"}};
    uint64_t used = 1'500'000;
    for (const auto &step : levels) {
        for (int i = 0; i < 14; ++i, used += 40'000)
            model.receivePressure({step.level, reading(used)});
        const QImage image = test::render(root);
        test::saveShot(image, QStringLiteral("panel-") + QLatin1String(step.name));
        EXPECT_EQ(image.width(), ProRootView::kWidth);
        EXPECT_EQ(root.header()->levelWord()->text(), qtText(word(step.level)));
        EXPECT_NE(root.header()->statsRow(), nullptr);
        EXPECT_EQ(root.header()->width(), ProRootView::kWidth);
    }
}

} // namespace
} // namespace quorvel
