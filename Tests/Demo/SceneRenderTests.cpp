#include <gtest/gtest.h>

#include "SceneRender.h"
#include "Support/Rendering.h"
#include "Support/ScenePanelWidth.h"
#include "UI/ProRootView.h"

namespace quorvel {
namespace {

TEST(SceneRender, DrawsEveryScenesPanelAtItsWidthAndScale) {
    ASSERT_EQ(SceneRender::sceneNames().size(), 8);
    for (const QString &name : SceneRender::sceneNames()) {
        SCOPED_TRACE(name.toStdString());
        const std::optional<QImage> image = SceneRender::render(name, 1);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width(), test::scenePanelWidth(name));
        EXPECT_GT(image->height(), 50);
        EXPECT_TRUE(test::contains(*image, Theme::panelBottom(), {}, 40));
        test::saveShot(*image, QStringLiteral("scene-") + name);
    }
    const std::optional<QImage> doubled = SceneRender::render(QStringLiteral("focusAfter"), 2);
    ASSERT_TRUE(doubled);
    EXPECT_EQ(doubled->width(), 2 * ProRootView::kWidth);
    EXPECT_EQ(doubled->height(),
              2 * SceneRender::render(QStringLiteral("focusAfter"), 1)->height());

    for (const char *other : {"ThresholdRules", "", "maxedout", "scene"})
        EXPECT_FALSE(SceneRender::render(QString::fromLatin1(other), 1)) << other;
}

} // namespace
} // namespace quorvel
