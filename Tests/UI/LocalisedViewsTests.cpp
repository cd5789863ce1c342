#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>

#include "App/MASModel.h"
#include "App/ProModel.h"
#include "DemoLaunch.h"
#include "Support/FixedPressure.h"
#include "Support/ScriptedParts.h"
#include "UI/GovernanceConfirmation.h"
#include "UI/MASRootView.h"
#include "UI/MenuContent.h"
#include "UI/ProRootView.h"
#include "UI/Toolkit/TextView.h"
#include "UI/Toolkit/WidgetSnapshot.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

// Lays the panel out as it is shown: every part lies within the panel's
// width, every one-line text has the width it needs and every wrapped one
// the height.
void expectFits(QWidget &root) {
    widgetSnapshot(root);
    for (QWidget *part : root.findChildren<QWidget *>()) {
        if (!part->isVisibleTo(&root)) continue;
        const auto *text = qobject_cast<TextView *>(part);
        const std::string what =
            text ? text->text().toStdString()
                 : part->metaObject()->className() + (" " + part->objectName().toStdString());
        const QRect area(part->mapTo(&root, QPoint()), part->size());
        EXPECT_TRUE(area.left() >= 0 && area.right() < root.width()) << what;
        if (!text) continue;
        // A one-line text that may not give way shrinks to fit, which its
        // minimum width allows for.
        const bool cut = text->hasHeightForWidth()
                             ? text->height() < text->heightForWidth(text->width())
                             : text->width() < text->minimumSizeHint().width();
        EXPECT_FALSE(cut) << what;
    }
}

// Every scene, and the screens a scene leads to, in the run's language.
TEST(LocalisedViews, EveryScreenFitsThePanel) {
    const QString forced = qEnvironmentVariable("QUORVEL_LOCALE");
    EXPECT_TRUE(forced.isEmpty() || L10n::shared().locale() == forced.toStdString());
    for (ShotScene scene : kAllShotScenes) {
        for (const char *step : {"", "-picker", "-confirmation", "-history"}) {
            const QString name = QString::fromUtf8(rawValue(scene)) + QLatin1String(step);
            SCOPED_TRACE(name.toStdString());
            ProModel model(scene, test::scriptedParts(test::fixedReading(std::nullopt)));
            ProRootView root(model, openingScreen(scene));
            MenuContent &content = *root.content();
            if (name.endsWith(QStringLiteral("picker"))) content.enterSelect();
            if (name.endsWith(QStringLiteral("confirmation")))
                content.confirmation()->request(model.groups().front(),
                                                PendingGovernance::Kind::suspend);
            if (name.endsWith(QStringLiteral("history"))) {
                model.governor().exitFocus();
                content.setMode(PanelMode::history);
            }
            expectFits(root);
        }
    }
    for (MASShotScene scene : kAllMASShotScenes) {
        SCOPED_TRACE(std::string(rawValue(scene)));
        MASModel model(scene, {test::fixedReading(std::nullopt),
                               {},
                               std::make_shared<platform::InMemoryDefaultsStore>(),
                               ReviewPrompt::systemClock,
                               {}});
        MASRootView root(model);
        expectFits(root);
    }
}

// The same in a long language and in one written in CJK characters, each in a
// run of its own, as the language is chosen once a run.
TEST(LocalisedViews, EveryScreenFitsThePanelInGermanAndJapanese) {
    if (qEnvironmentVariableIsSet("QUORVEL_LOCALE")) GTEST_SKIP() << "already the child";
    for (const char *locale : {"de", "ja"}) {
        SCOPED_TRACE(locale);
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUORVEL_LOCALE"), QString::fromLatin1(locale));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=LocalisedViews.EveryScreenFitsThePanel")});
        ASSERT_TRUE(child.waitForFinished(180000));
        const QByteArray output = child.readAll();
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
    }
}

} // namespace
} // namespace quorvel
