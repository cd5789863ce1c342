#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "Defaults/SettingsDefaultsStore.h"
#include "Engine/ThresholdController.h"
#include "Support/FixedPressure.h"
#include "Support/PanelFixtures.h"
#include "Support/ScriptedParts.h"
#include "UI/ApplicationList.h"
#include "UI/ConfirmationDialog.h"
#include "UI/GovernanceConfirmation.h"
#include "UI/GroupRow.h"
#include "UI/MenuContent.h"
#include "UI/PanelFooter.h"
#include "UI/ProRootView.h"
#include "UI/RuleCard.h"
#include "UI/ThresholdRulesView.h"
#include "UI/Toolkit/QtText.h"
#include "UI/Toolkit/ScrollArea.h"
#include "UI/Toolkit/StyledButton.h"
#include "UI/Toolkit/SwitchToggle.h"
#include "UI/Toolkit/TextView.h"
#include "Util/Format.h"
#include "Util/L10n.h"

namespace quorvel {
namespace {

// The whole panel over a model whose samples the test hands over and whose
// settings live in a real file.
struct Panel {
    QTemporaryDir directory;
    QString file = directory.filePath(QStringLiteral("Quorvel.conf"));
    std::shared_ptr<platform::InMemoryWorkspace> workspace =
        std::make_shared<platform::InMemoryWorkspace>();
    // A 16 GiB machine whose sampler has delivered once and waits a very
    // long time for the next.
    std::unique_ptr<ProModel> model = [this] {
        auto parts = test::scriptedParts(test::fixedReading(VMSnapshot{4096, 16ull << 30, 900'000}),
                                         test::noProcesses, workspace);
        parts.defaults = std::make_shared<platform::SettingsDefaultsStore>(file);
        auto made = std::make_unique<ProModel>(std::move(parts));
        QSignalSpy delivered(made.get(), &ProModel::groupsChanged);
        made->setInterval(1e6);
        // The first sample at start and the one the new interval takes at
        // once; both reach the main thread through its event loop.
        test::waitFor([&] { return delivered.count() >= 2; });
        return made;
    }();
    ProRootView root{*model};
    MenuContent &content = *root.content();

    // Twelve applications, of which Firefox and Blender are known hogs.
    static std::vector<AppGroup> sample() {
        std::vector<AppGroup> groups = test::sampledGroups(12);
        groups[0].isKnownHog = true;
        groups[5].isKnownHog = true;
        return groups;
    }
    static QAction *entry(const QMenu &menu, const QString &text) {
        for (QAction *action : test::entries(menu))
            if (action->text() == text) return action;
        return nullptr;
    }
    void deliver(const std::vector<AppGroup> &groups) { model->receiveGroups(groups); }
    QAction *setting(const QString &text) { return entry(*content.footer()->settingsMenu(), text); }
    QAction *rowEntry(const AppGroup &group, const char *key) {
        return entry(*content.list()->row(group.key)->menu(), qtText(L10n::t(key)));
    }
    // The rules and the switch as a fresh controller reads them from the file.
    std::unique_ptr<ThresholdController> stored() {
        return std::make_unique<ThresholdController>(ThresholdController::Dependencies{
            &model->governor(), std::make_shared<platform::SettingsDefaultsStore>(file), nullptr});
    }
};

// Cancel, or Escape, sends nothing; a confirmed restart does not hold the
// dialog while it runs.
TEST(GovernanceConfirmation, SendsNothingUntilConfirmed) {
    Panel panel;
    const std::vector<AppGroup> groups = Panel::sample();
    const RawProcess &process = groups[1].processes[0];
    panel.workspace->setRunning(*groups[1].bundleID,
                                {platform::RunningApplication{process.pid, process.startTime}});
    panel.deliver(groups);
    panel.root.show();
    ConfirmationDialog *dialog = panel.content.confirmation()->dialog();
    const auto press = [&](const char *key) {
        for (auto *button : dialog->findChildren<StyledButton *>())
            if (button->isVisible() && button->text() == qtText(L10n::t(key))) button->click();
    };
    for (const AppGroup &group : {groups[0], groups[1]}) {
        panel.rowEntry(group, "pro.action.suspend")->trigger();
        press("pro.action.cancel");
        panel.rowEntry(group, "pro.action.restart")->trigger();
        ASSERT_TRUE(dialog->isPresented());
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dialog, &escape);
        EXPECT_FALSE(dialog->isPresented() || panel.content.confirmation()->pending());
    }
    EXPECT_TRUE(panel.workspace->signalCalls().empty());
    EXPECT_TRUE(panel.workspace->quitRequests().empty());
    EXPECT_TRUE(panel.model->governor().history().empty());

    panel.rowEntry(groups[1], "pro.action.restart")->trigger();
    press("pro.confirm.restart.button");
    EXPECT_FALSE(dialog->isPresented() || panel.content.confirmation()->pending());
    EXPECT_EQ(panel.workspace->quitRequests().size(), 1u);
}

// Samples redraw the panel every second or two: what the user has open stays
// open, where it was, until the panel closes.
TEST(ProRootView, KeepsAnOpenMenuTheScrollAndAPendingConfirmationAcrossSamples) {
    Panel panel;
    std::vector<AppGroup> groups = Panel::sample();
    panel.deliver(groups);
    panel.root.show();
    QScrollBar *bar = panel.content.list()->scrollArea()->verticalScrollBar();
    ASSERT_TRUE(test::waitFor([&] { return bar->maximum() > 0; }));
    bar->setValue(bar->maximum() / 2);
    const int scrolled = bar->value();
    GroupRow *row = panel.content.list()->row(groups[2].key);
    QMenu *menu = row->menu();
    menu->popup(row->mapToGlobal(QPoint()));
    ASSERT_TRUE(test::waitFor([&] { return menu->isVisible(); }));
    const std::vector<QAction *> entries = test::entries(*menu);
    const auto resample = [&] {
        for (int i = 0; i < 3; ++i) {
            for (AppGroup &group : groups) group.current += 1 << 20;
            std::swap(groups[0], groups[1]);
            panel.deliver(groups);
        }
        QCoreApplication::processEvents();
    };

    resample();
    EXPECT_EQ(panel.content.list()->row(groups[2].key), row);
    EXPECT_EQ(row->footprint()->text(), qtText(Format::bytes(groups[2].current)));
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(row->menu(), menu);
    EXPECT_EQ(test::entries(*menu), entries);
    EXPECT_EQ(bar->value(), scrolled);
    menu->hide();

    entries.front()->trigger(); // freeze, which asks first
    ASSERT_TRUE(panel.content.confirmation()->pending());
    const PendingGovernance asked = *panel.content.confirmation()->pending();
    resample();
    ASSERT_TRUE(panel.content.confirmation()->pending());
    EXPECT_EQ(panel.content.confirmation()->pending()->id, asked.id);
    EXPECT_EQ(panel.content.confirmation()->pending()->group, asked.group);
    EXPECT_TRUE(panel.content.confirmation()->dialog()->isPresented());

    panel.content.setMode(PanelMode::history);
    panel.root.hide();
    EXPECT_EQ(panel.content.mode(), PanelMode::normal);
    EXPECT_FALSE(panel.content.confirmation()->pending());
    EXPECT_FALSE(panel.content.confirmation()->dialog()->isPresented());
}

// The settings pick the interval and name rules that are armed; every pick on
// a rule's card is in the file at once, on the same card throughout.
TEST(ThresholdRulesView, EveryEditReachesTheSettingsFile) {
    Panel panel;
    panel.setting(QStringLiteral("5s"))->trigger();
    EXPECT_DOUBLE_EQ(panel.model->intervalSeconds(), 5.0);
    EXPECT_TRUE(panel.setting(QStringLiteral("5s"))->isChecked());
    EXPECT_FALSE(panel.setting(QStringLiteral("2s"))->isChecked());
    panel.setting(qtText(L10n::t("pro.settings.rules")))->trigger();
    ThresholdRulesView *view = panel.content.rules();
    const std::vector<AppGroup> groups = test::sampledGroups(20);
    panel.deliver(groups);
    const auto choose = [](const QMenu &menu, const QString &text) {
        QAction *action = Panel::entry(menu, text);
        if (action) action->trigger();
        return test::entries(menu).size();
    };
    EXPECT_EQ(choose(*view->addMenu(), qtText(groups[3].displayName)), 12u);
    ASSERT_EQ(view->cards().size(), 1u);
    RuleCard *card = view->cards()[0];
    choose(*card->limitMenu(), qtText(Format::bytes(16ull << 30)));
    choose(*card->sustainedMenu(), qtText(L10n::plural("pro.rules.minutes", 30)));
    choose(*card->applicationMenu(), qtText(groups[2].displayName));
    card->actionButtons()[2]->click(); // freeze
    card->enabledSwitch()->click();
    view->masterSwitch()->click();
    EXPECT_EQ(panel.setting(qtText(L10n::t("pro.settings.rules"))), nullptr);
    EXPECT_NE(panel.setting(qtText(L10n::t("pro.settings.rules.armed"))), nullptr);
    const auto stored = panel.stored();
    ASSERT_EQ(stored->rules().size(), 1u);
    const ThresholdRule &rule = stored->rules()[0];
    EXPECT_EQ(rule.limitBytes, 16ull << 30);
    EXPECT_DOUBLE_EQ(rule.sustainedSeconds, 1800);
    EXPECT_EQ(rule.appKey, groups[2].key);
    EXPECT_EQ(rule.action, RuleAction::suspend);
    EXPECT_TRUE(rule.isEnabled && stored->isAutomaticGovernanceOn());
    EXPECT_EQ(view->cards().at(0), card);
    card->deleteButton()->click();
    EXPECT_TRUE(panel.stored()->rules().empty());
}

// "Start at login" copies the installed entry, naming the installed program,
// into the autostart folder and removes it; its mark follows the file. A link
// planted at the entry's name is replaced or removed itself, never written
// through.
TEST(PanelFooter, StartAtLoginKeepsTheAutostartEntry) {
    const auto contents = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    const QString build = QFileInfo(QStringLiteral(QUORVEL_BUILD_DIR)).canonicalFilePath();
    const QString installed = build + "/share/applications/io.quorvel.Quorvel.desktop";
    const QByteArray expected =
        contents(installed).replace("Exec=quorvel", "Exec=" + build.toUtf8() + "/bin/quorvel");
    ASSERT_TRUE(expected.contains("Exec=/"));
    enum Planted { nothing, linkToFile, linkToNowhere };
    for (const Planted planted : {nothing, linkToFile, linkToNowhere}) {
        SCOPED_TRACE(planted);
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        const QString entry = config.filePath("autostart/io.quorvel.Quorvel.desktop");
        const QString target = config.filePath("target.desktop");
        QDir().mkpath(config.filePath("autostart"));
        QFile planting(target);
        if (planted == linkToFile && planting.open(QIODevice::WriteOnly)) planting.write("[X]\n");
        planting.close();
        if (planted != nothing) QFile::link(target, entry);
        PanelFooter footer({[] {}, [] {}, [] {}, [](double) {}, [] {}, [] {}});
        QAction *start =
            Panel::entry(*footer.settingsMenu(), qtText(L10n::t("pro.settings.startAtLogin")));
        EXPECT_EQ(start->isChecked(), planted == linkToFile);
        for (const bool on : {true, false}) {
            start->setChecked(!on);
            start->trigger();
            EXPECT_EQ(start->isChecked(), on);
            EXPECT_EQ(QFileInfo(entry).isSymLink() || QFileInfo::exists(entry), on);
            EXPECT_EQ(contents(target), planted == linkToFile ? "[X]\n" : "");
            EXPECT_EQ(QFileInfo::exists(target), planted == linkToFile);
            if (!on) continue;
            EXPECT_EQ(contents(entry), expected);
            EXPECT_EQ(QProcess::execute("desktop-file-validate", {entry}), 0);
        }
        // Put back by hand, the entry is on again at the menu's next opening.
        QFile::copy(installed, entry);
        emit footer.settingsMenu()->aboutToShow();
        EXPECT_TRUE(start->isChecked());
    }
    wasSet ? qputenv("XDG_CONFIG_HOME", previous) : qunsetenv("XDG_CONFIG_HOME");
}
} // namespace
} // namespace quorvel
