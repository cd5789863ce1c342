#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>

#include <unistd.h>

#include "Workspace/InMemoryWorkspace.h"

namespace {

using quorvel::platform::InMemoryWorkspace;
using quorvel::platform::ProcessSignal;
using quorvel::platform::RunningApplication;
using quorvel::platform::SampledProcess;

TEST(InMemoryWorkspace, RecordsSignalsAndRefusesWhatTheRealOneRefuses) {
    InMemoryWorkspace workspace;
    workspace.setUndeliverable({42});
    EXPECT_TRUE(workspace.sendSignal({100, 7, "editor", "/usr/bin/editor"}, ProcessSignal::stop));
    EXPECT_FALSE(workspace.sendSignal({42, 0, "", ""}, ProcessSignal::stop));
    EXPECT_FALSE(workspace.sendSignal({1, 0, "", ""}, ProcessSignal::stop));
    EXPECT_FALSE(workspace.sendSignal({::getpid(), 0, "", ""}, ProcessSignal::resume));
    ASSERT_EQ(workspace.signalCalls().size(), 4u);
    EXPECT_EQ(workspace.signalCalls()[0],
              (InMemoryWorkspace::SignalCall{SampledProcess{100, 7, "editor", "/usr/bin/editor"},
                                             ProcessSignal::stop, true}));
    EXPECT_EQ(workspace.signalCalls()[3].signal, ProcessSignal::resume);
}

TEST(InMemoryWorkspace, QuitEndsAnInstanceUnlessTheApplicationRefuses) {
    InMemoryWorkspace workspace;
    workspace.setRunning("org.example.Editor", {{100, 1}, {200, 2}});
    workspace.requestQuit({100, 1});
    EXPECT_EQ(workspace.runningApplications("org.example.Editor"),
              (std::vector<RunningApplication>{{200, 2}}));

    workspace.setQuitsWhenAsked(false);
    workspace.requestQuit({200, 2});
    EXPECT_EQ(workspace.runningApplications("org.example.Editor"),
              (std::vector<RunningApplication>{{200, 2}}));
    EXPECT_EQ(workspace.quitRequests(), (std::vector<RunningApplication>{{100, 1}, {200, 2}}));
    EXPECT_EQ(workspace.runningLookups(), 2);
}

TEST(InMemoryWorkspace, OpenCompletesOnALaterTurnWithTheScriptedResult) {
    InMemoryWorkspace workspace;
    EXPECT_FALSE(workspace.frontmostApplication());
    workspace.setFrontmost(quorvel::platform::FrontmostApplication{"org.example.Editor", 100});
    EXPECT_EQ(workspace.frontmostApplication()->pid, 100);

    std::vector<std::optional<std::string>> results;
    workspace.openApplication("/apps/editor.desktop",
                              [&](auto error) { results.push_back(error); });
    workspace.setOpenResult("No such file or directory");
    workspace.openApplication("/apps/gone.desktop", [&](auto error) { results.push_back(error); });
    EXPECT_TRUE(results.empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return results.size() == 2; }, 5000));
    EXPECT_EQ(results[0], std::nullopt);
    EXPECT_EQ(results[1], "No such file or directory");
    EXPECT_EQ(workspace.openedPaths(),
              (std::vector<std::string>{"/apps/editor.desktop", "/apps/gone.desktop"}));
}

TEST(InMemoryWorkspace, AnOpenPendingWhenTheWorkspaceGoesNeverCompletes) {
    bool completed = false;
    {
        InMemoryWorkspace workspace;
        workspace.openApplication("/apps/editor.desktop", [&](auto) { completed = true; });
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(completed);
}

} // namespace
