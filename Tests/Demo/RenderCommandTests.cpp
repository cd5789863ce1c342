#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include "SceneRender.h"
#include "Support/IsolatedRun.h"
#include "Support/MASShotFixtures.h"
#include "Support/QuorvelRun.h"
#include "UI/MASRootView.h"
#include "UI/ProRootView.h"

namespace quorvel {
namespace {

using test::Finished;

// quorvel without any desktop session.
Finished runQuorvel(const QString &arguments) {
    const test::IsolatedRun run;
    QProcessEnvironment environment = run.environment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    return test::runQuorvel(arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts), environment);
}

TEST(RenderCommand, DrawsEverySceneIntoAPngOfThePanelsWidth) {
    QTemporaryDir dir;
    for (const QString &scene : SceneRender::sceneNames()) {
        SCOPED_TRACE(scene.toStdString());
        const QString file = dir.filePath(scene + QStringLiteral(".png"));
        const Finished run = runQuorvel(QStringLiteral("--render %1 --output %2").arg(scene, file));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const QImage image(file, "PNG");
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.width(), masShotSceneFromRaw(scene.toStdString()) ? MASRootView::kWidth
                                                                          : ProRootView::kWidth);
    }
    const QString doubled = dir.filePath(QStringLiteral("doubled.png"));
    ASSERT_EQ(runQuorvel(QStringLiteral("--render focusBefore --output %1 --scale 2").arg(doubled))
                  .exitCode,
              0);
    EXPECT_EQ(QImage(doubled, "PNG").width(), 2 * ProRootView::kWidth);
}

TEST(RenderCommand, RefusesUnknownScenesAndIncompleteRequests) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.png"));
    const Finished unknown = runQuorvel(QStringLiteral("--render ThresholdRules --output ") + file);
    EXPECT_EQ(unknown.exitCode, 2);
    for (const QString &scene : SceneRender::sceneNames())
        EXPECT_NE(unknown.err.find(scene.toStdString()), std::string::npos) << unknown.err;

    for (const QString &arguments :
         {QStringLiteral("--render focusBefore"),
          QStringLiteral("--render focusBefore --output %1 --scale 3").arg(file),
          QStringLiteral("--output ") + file}) {
        SCOPED_TRACE(arguments.toStdString());
        const Finished run = runQuorvel(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find("Usage: quorvel"), std::string::npos);
    }
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(runQuorvel(QStringLiteral("--render focusBefore --output ") +
                         dir.filePath(QStringLiteral("missing/out.png")))
                  .exitCode,
              1);
}

} // namespace
} // namespace quorvel
