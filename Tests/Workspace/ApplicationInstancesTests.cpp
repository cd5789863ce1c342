#include <gtest/gtest.h>

#include <map>

#include "Workspace/ApplicationInstances.h"

namespace {

using quorvel::platform::ApplicationInstances;
using quorvel::platform::ListedProcess;
using quorvel::platform::RunningApplication;

ListedProcess process(int32_t pid, int32_t ppid, const std::string &name) {
    return {pid, ppid, 1000, static_cast<uint64_t>(pid) * 10, name, "/usr/bin/" + name};
}

// A session's tree: an editor started twice (once from a terminal), with
// helpers of its own, a helper of another application under one of them,
// and a tool of no application.
//
//   1 systemd ─┬─ 100 editor ─┬─ 101 editor ── 102 editor
//              │              └─ 103 viewer ── 104 editor
//              ├─ 200 terminal ── 201 editor
//              └─ 300 tool ── 301 editor
const std::vector<ListedProcess> kSession{
    process(100, 1, "editor"),   process(101, 100, "editor"), process(102, 101, "editor"),
    process(103, 100, "viewer"), process(104, 103, "editor"), process(200, 1, "terminal"),
    process(201, 200, "editor"), process(300, 1, "tool"),     process(301, 300, "editor"),
};

const std::map<std::string, std::string> kApplications{
    {"editor", "org.example.Editor"},
    {"viewer", "org.example.Viewer"},
    {"terminal", "org.example.Terminal"},
};

ApplicationInstances session(std::vector<ListedProcess> processes = kSession) {
    return ApplicationInstances(std::move(processes),
                                [](const ListedProcess &p) -> std::optional<std::string> {
                                    const auto found = kApplications.find(p.name);
                                    if (found == kApplications.end()) return std::nullopt;
                                    return found->second;
                                });
}

std::vector<int32_t> pidsOf(const std::vector<ListedProcess> &processes) {
    std::vector<int32_t> pids;
    for (const ListedProcess &p : processes) pids.push_back(p.pid);
    return pids;
}

TEST(ApplicationInstances, AnInstanceIsAProcessWhoseParentIsNotOfTheSameApplication) {
    const ApplicationInstances instances = session();
    // 104 runs under the viewer, 201 under the terminal, 301 under a tool.
    EXPECT_EQ(
        instances.of("org.example.Editor"),
        (std::vector<RunningApplication>{{100, 1000}, {104, 1040}, {201, 2010}, {301, 3010}}));
    EXPECT_EQ(instances.of("org.example.Viewer"), (std::vector<RunningApplication>{{103, 1030}}));
    EXPECT_TRUE(instances.of("org.example.Missing").empty());
    EXPECT_TRUE(instances.of("").empty());
}

TEST(ApplicationInstances, ProcessesOfAnInstanceFollowOnlyTheApplicationsOwnLine) {
    const ApplicationInstances instances = session();
    const struct {
        RunningApplication instance;
        std::vector<int32_t> pids;
    } cases[] = {
        {{100, 1000}, {100, 101, 102}}, // not 104: it hangs under the viewer
        {{100, 0}, {100, 101, 102}},    // an unknown start time matches any
        {{103, 1030}, {103}},
        {{300, 3000}, {300}}, // no application: only itself
        {{100, 999}, {}},     // the pid was taken by another process
        {{999, 9990}, {}},    // gone
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.instance.pid);
        EXPECT_EQ(pidsOf(instances.processesOf(c.instance)), c.pids);
    }
}

TEST(ApplicationInstances, AProcessThatIsItsOwnParentIsStillAnInstanceAndListedOnce) {
    const ApplicationInstances instances = session({process(50, 50, "editor")});
    EXPECT_EQ(instances.of("org.example.Editor"), (std::vector<RunningApplication>{{50, 500}}));
    EXPECT_EQ(pidsOf(instances.processesOf({50, 500})), (std::vector<int32_t>{50}));
}

} // namespace
