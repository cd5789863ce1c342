#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include "SceneRender.h"
#include "Support/IsolatedRun.h"
#include "Support/QuorvelRun.h"
#include "Support/ScenePanelWidth.h"
#include "UI/ProRootView.h"

namespace quorvel {
namespace {

using test::Finished;

// quorvel without any desktop session.
Finished runQuorvel(const QStringList &arguments) {
    const test::IsolatedRun run;
    QProcessEnvironment environment = run.environment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    return test::runQuorvel(arguments, environment);
}

TEST(RenderCommand, DrawsEverySceneIntoAPngOfThePanelsWidth) {
    QTemporaryDir dir;
    for (const QString &scene : SceneRender::sceneNames()) {
        SCOPED_TRACE(scene.toStdString());
        const QString file = dir.filePath(scene + QStringLiteral(".png"));
        const Finished run =
            runQuorvel({QStringLiteral("--render"), scene, QStringLiteral("--output"), file});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const QImage image(file, "PNG");
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.width(), test::scenePanelWidth(scene));
    }
    const QString doubled = dir.filePath(QStringLiteral("doubled.png"));
    ASSERT_EQ(runQuorvel({QStringLiteral("--render"), QStringLiteral("focusBefore"),
                          QStringLiteral("--output"), doubled, QStringLiteral("--scale"),
                          QStringLiteral("2")})
                  .exitCode,
              0);
    EXPECT_EQ(QImage(doubled, "PNG").width(), 2 * ProRootView::kWidth);
}

TEST(RenderCommand, RefusesUnknownScenesAndIncompleteRequests) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.png"));
    const Finished unknown =
        runQuorvel({QStringLiteral("--render"), QStringLiteral("ThresholdRules"),
                    QStringLiteral("--output"), file});
    EXPECT_EQ(unknown.exitCode, 2);
    for (const QString &scene : SceneRender::sceneNames())
        EXPECT_TRUE(unknown.err.find(scene.toStdString()) != std::string::npos) << unknown.err;
    EXPECT_FALSE(QFile::exists(file));

    const QStringList incomplete[] = {
        {QStringLiteral("--render"), QStringLiteral("focusBefore")},
        {QStringLiteral("--render"), QStringLiteral("focusBefore"), QStringLiteral("--output"),
         file, QStringLiteral("--scale"), QStringLiteral("3")},
        {QStringLiteral("--output"), file},
    };
    for (const QStringList &arguments : incomplete) {
        const Finished run = runQuorvel(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_NE(run.err.find("Usage: quorvel"), std::string::npos);
    }
    EXPECT_FALSE(QFile::exists(file));

    const Finished unwritable =
        runQuorvel({QStringLiteral("--render"), QStringLiteral("focusBefore"),
                    QStringLiteral("--output"), dir.filePath(QStringLiteral("missing/out.png"))});
    EXPECT_EQ(unwritable.exitCode, 1);
}

} // namespace
} // namespace quorvel
