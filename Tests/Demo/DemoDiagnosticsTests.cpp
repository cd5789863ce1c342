#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>

#include "App/StatusItemController.h"
#include "DemoDiagnosticLoop.h"
#include "DemoLaunch.h"
#include "Support/FakeStatusIcon.h"

namespace quorvel {
namespace {

QByteArray contents(const QString &file) {
    QFile stored(file);
    return stored.open(QIODevice::ReadOnly) ? stored.readAll() : QByteArray();
}

TEST(DemoLaunch, ChoosesTheSceneTheFirstScreenAndTheLoop) {
    struct Case {
        std::optional<std::string_view> value;
        std::optional<ShotScene> scene;
        ProPanelScreen firstScreen;
        bool runsDiagnostics;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, ProPanelScreen::normal, false},
        {"thresholdRules", ShotScene::thresholdRules, ProPanelScreen::rules, true},
        {"focusAfter", ShotScene::focusAfter, ProPanelScreen::normal, true},
        {"focusBefore", ShotScene::focusBefore, ProPanelScreen::normal, true},
        {"ThresholdRules", std::nullopt, ProPanelScreen::normal, true},
        {"healthy", std::nullopt, ProPanelScreen::normal, true},
        {"", std::nullopt, ProPanelScreen::normal, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value ? std::string(*c.value) : std::string("(unset)"));
        const DemoLaunch launch = DemoLaunch::choose(c.value);
        EXPECT_EQ(launch.scene, c.scene);
        EXPECT_EQ(launch.firstScreen, c.firstScreen);
        EXPECT_EQ(launch.runsDiagnostics, c.runsDiagnostics);
    }

    qunsetenv(DemoLaunch::kVariable);
    EXPECT_FALSE(DemoLaunch::fromEnvironment().runsDiagnostics);
    qputenv(DemoLaunch::kVariable, "");
    EXPECT_TRUE(DemoLaunch::fromEnvironment().runsDiagnostics) << "set, though empty";
    qputenv(DemoLaunch::kVariable, "thresholdRules");
    EXPECT_EQ(DemoLaunch::fromEnvironment().scene, ShotScene::thresholdRules);
    qunsetenv(DemoLaunch::kVariable);
}

TEST(DemoDiagnostics, WritesTheFrameInShortestExactDecimalsAndTheDiagnosticsLine) {
    EXPECT_EQ(
        DemoDiagnostics::text(QRect(1512, -3, 24, 0), QStringLiteral("visible=true len=-1.0")),
        "1512.0 -3.0 24.0 0.0\nvisible=true len=-1.0\n");
}

TEST(DemoDiagnostics, ReplacesTheFileWholeAndLeavesItWhenTheWriteFails) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("statusitem.txt"));
    DemoDiagnostics::write(file, std::string(4096, 'x'));
    DemoDiagnostics::write(file, "1.0 2.0 3.0 4.0\nline\n");
    EXPECT_EQ(contents(file), QByteArray("1.0 2.0 3.0 4.0\nline\n"));

    // A missing folder and a file the writer may not replace are both
    // shrugged off.
    DemoDiagnostics::write(dir.filePath(QStringLiteral("missing/statusitem.txt")), "text\n");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
    const QString folderInTheWay = dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkpath(folderInTheWay));
    DemoDiagnostics::write(folderInTheWay, "text\n");
    EXPECT_TRUE(QFileInfo(folderInTheWay).isDir());
}

struct LoopHarness {
    explicit LoopHarness(QRect iconFrame) {
        auto fake = std::make_unique<test::FakeStatusIcon>();
        fake->frame = iconFrame;
        icon = fake.get();
        status = std::make_unique<StatusItemController>(
            QStringLiteral("memorychip"),
            [] {
                auto *content = new QLabel(QStringLiteral("panel"));
                content->setFixedSize(400, 200);
                return content;
            },
            std::move(fake));
        file = dir.filePath(QStringLiteral("quorvel-statusitem.txt"));
        loop = std::make_unique<DemoDiagnosticLoop>(*status, file);
    }

    QTemporaryDir dir;
    QString file;
    test::FakeStatusIcon *icon;
    std::unique_ptr<StatusItemController> status;
    std::unique_ptr<DemoDiagnosticLoop> loop;
};

TEST(DemoDiagnosticLoop, ReopensThePanelAndRewritesTheFileAtEveryFiring) {
    LoopHarness h(QRect(600, 0, 24, 24));
    EXPECT_TRUE(h.loop->timer().isActive());
    EXPECT_EQ(h.loop->timer().interval(), 2000);
    EXPECT_FALSE(h.status->isPanelShown()) << "nothing before the first firing";

    h.loop->fire();
    EXPECT_TRUE(h.status->isPanelShown());
    EXPECT_TRUE(h.status->isAutomatedShow());
    const QList<QByteArray> lines = contents(h.file).split('\n');
    ASSERT_EQ(lines.size(), 3) << "two lines, each ended";
    EXPECT_EQ(lines[0], QByteArray("600.0 0.0 24.0 24.0"));
    EXPECT_EQ(lines[1], h.status->diagnostics().toUtf8());
    EXPECT_TRUE(lines[2].isEmpty());

    h.status->panel()->hide();
    h.icon->frame = QRect(10, 450, 22, 22);
    h.loop->fire();
    EXPECT_TRUE(h.status->isPanelShown());
    EXPECT_TRUE(contents(h.file).startsWith("10.0 450.0 22.0 22.0\n"));
    EXPECT_EQ(contents(h.file).count('\n'), 2);
}

TEST(DemoDiagnosticLoop, WritesNothingWhileTheIconHasNoFrame) {
    LoopHarness h{QRect()};
    h.loop->fire();
    EXPECT_FALSE(QFileInfo::exists(h.file));
    h.icon->click(QPoint(300, 5));
    h.status->panel()->hide();
    h.loop->fire();
    EXPECT_TRUE(contents(h.file).startsWith("300.0 5.0 1.0 1.0\n"));
}

} // namespace
} // namespace quorvel
