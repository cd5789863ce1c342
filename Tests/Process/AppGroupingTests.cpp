#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Apps/InMemoryApplicationResolver.h"
#include "Engine/AppGrouping.h"

namespace quorvel {
namespace {

using platform::InstalledApplication;

RawProcess process(int32_t pid, std::string name, std::string path, uint64_t footprint,
                   int32_t status = 3, uint64_t startTime = 1000) {
    return {pid, 1, 1000, status, footprint, std::move(name), std::move(path), startTime};
}

const InstalledApplication editor{"/usr/share/applications/org.example.Editor.desktop",
                                  "org.example.Editor", "Editor", "accessories-text-editor"};

struct Fold {
    platform::InMemoryApplicationResolver resolver;
    AppGrouping::Caches caches;

    std::vector<AppGroup> operator()(const std::vector<RawProcess> &processes) {
        return AppGrouping::fold(processes, resolver, caches);
    }
};

const AppGroup *find(const std::vector<AppGroup> &groups, const std::string &key) {
    for (const AppGroup &group : groups) {
        if (group.key == key) return &group;
    }
    return nullptr;
}

TEST(AppGrouping, NestedBundlesJoinTheOutermostOne) {
    Fold fold;
    fold.resolver.setIdentifier("/Applications/Foo.app", "com.example.foo");
    const auto groups = fold({
        process(10, "Foo", "/Applications/Foo.app/Contents/MacOS/Foo", 300),
        process(
            11, "Foo Helper",
            "/Applications/Foo.app/Contents/Frameworks/Foo Helper.app/Contents/MacOS/Foo Helper",
            200),
        process(12, "Bar", "/Applications/Bar.APP/Contents/MacOS/Bar", 50),
    });
    ASSERT_EQ(groups.size(), 2u);
    const AppGroup &foo = groups[0];
    EXPECT_EQ(foo.key, "/Applications/Foo.app");
    EXPECT_EQ(foo.id(), foo.key);
    EXPECT_EQ(foo.displayName, "Foo");
    EXPECT_EQ(foo.appPath, "/Applications/Foo.app");
    EXPECT_EQ(foo.bundleID, "com.example.foo");
    EXPECT_EQ(foo.current, 500u);
    EXPECT_EQ(foo.peak, 500u);
    EXPECT_EQ(foo.pids(), (std::vector<int32_t>{10, 11}));
    // The bundle test is exact and case-sensitive.
    EXPECT_EQ(groups[1].key, "proc:Bar");
}

TEST(AppGrouping, ProcessesOutsideApplicationsGroupByName) {
    Fold fold;
    const auto groups = fold({
        process(20, "bar", "/usr/libexec/bar", 10),
        process(21, "baz", "", 7),
        process(22, "bar", "/opt/bar", 5),
    });
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].key, "proc:bar");
    EXPECT_EQ(groups[0].displayName, "bar");
    EXPECT_EQ(groups[0].pids(), (std::vector<int32_t>{20, 22}));
    EXPECT_EQ(groups[0].current, 15u);
    EXPECT_FALSE(groups[0].appPath);
    EXPECT_FALSE(groups[0].bundleID);
    EXPECT_EQ(groups[1].key, "proc:baz");
}

TEST(AppGrouping, AsksTheResolverWhenThePathNamesNoBundle) {
    Fold fold;
    fold.resolver.addApplication("/usr/bin/editor", editor);
    fold.resolver.addApplication("/Applications/Foo.app/Contents/MacOS/Foo", editor);
    const auto groups = fold({
        process(30, "editor", "/usr/bin/editor", 40),
        process(31, "Foo", "/Applications/Foo.app/Contents/MacOS/Foo", 30),
    });
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].key, editor.path);
    EXPECT_EQ(groups[0].appPath, editor.path);
    EXPECT_EQ(groups[0].displayName, "Editor");
    EXPECT_EQ(groups[0].bundleID, "org.example.Editor");
    // The bundle rule comes first, whatever the resolver would say.
    EXPECT_EQ(groups[1].key, "/Applications/Foo.app");
    EXPECT_FALSE(groups[1].bundleID);
}

TEST(AppGrouping, AReusedPidIsResolvedAfreshAndGoneProcessesAreForgotten) {
    Fold fold;
    fold.resolver.addApplication("/usr/bin/editor", editor);
    auto groups = fold({process(42, "editor", "/usr/bin/editor", 10, 3, 100),
                        process(43, "sh", "/bin/sh", 1, 3, 100)});
    EXPECT_TRUE(find(groups, editor.path));
    EXPECT_EQ(fold.resolver.rememberedCount(), 2u);

    // Pid 42 now belongs to another program, started later.
    groups = fold({process(42, "other", "/opt/other", 10, 3, 250)});
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].key, "proc:other");
    EXPECT_EQ(fold.resolver.rememberedCount(), 1u);

    fold({});
    EXPECT_EQ(fold.resolver.rememberedCount(), 0u);
}

TEST(AppGrouping, AGroupIsStoppedOnlyWhileAllItsProcessesAre) {
    Fold fold;
    const auto groups = fold({
        process(50, "all", "/bin/all", 1, 4),
        process(51, "all", "/bin/all", 1, 4),
        process(52, "some", "/bin/some", 1, 4),
        process(53, "some", "/bin/some", 1, 2),
        process(54, "none", "/bin/none", 1, 3),
    });
    EXPECT_TRUE(find(groups, "proc:all")->isStopped);
    EXPECT_FALSE(find(groups, "proc:some")->isStopped);
    EXPECT_FALSE(find(groups, "proc:none")->isStopped);
}

TEST(AppGrouping, PeaksOutliveShrinkingAndRestartedApplications) {
    Fold fold;
    auto sample = [&](uint64_t footprint) {
        auto groups = fold({process(60, "app", "/bin/app", footprint)});
        return groups.front();
    };
    EXPECT_EQ(sample(100).peak, 100u);
    const AppGroup shrunk = sample(40);
    EXPECT_EQ(shrunk.current, 40u);
    EXPECT_EQ(shrunk.peak, 100u);
    EXPECT_TRUE(fold({}).empty());
    EXPECT_EQ(sample(70).peak, 100u);
    EXPECT_EQ(sample(130).peak, 130u);
}

TEST(AppGrouping, DeliversTheFortyLargestInAStableOrder) {
    for (int count : {39, 40, 41, 45}) {
        SCOPED_TRACE(count);
        Fold fold;
        std::vector<RawProcess> processes;
        for (int i = 0; i < count; ++i) {
            processes.push_back(process(100 + i, "p" + std::to_string(i), "", 1000 + i));
        }
        const auto groups = fold(processes);
        ASSERT_EQ(groups.size(), std::min<std::size_t>(count, AppGrouping::kGroupLimit));
        EXPECT_EQ(groups.front().current, 1000u + count - 1);
        EXPECT_EQ(groups.back().current, 1000u + count - groups.size());
        // Peaks are kept for the groups cut off as well.
        EXPECT_EQ(fold.caches.peaks.size(), static_cast<std::size_t>(count));
        EXPECT_EQ(fold.caches.peaks.at("proc:p0"), 1000u);
    }

    Fold fold;
    const auto tied = fold({process(1, "b", "", 5), process(2, "c", "", 5), process(3, "a", "", 5),
                            process(4, "z", "", 9)});
    std::vector<std::string> keys;
    for (const AppGroup &group : tied)
        keys.push_back(group.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"proc:z", "proc:a", "proc:b", "proc:c"}));
}

TEST(AppGrouping, TagsKnownHogsAndLooksMetadataUpOncePerKey) {
    Fold fold;
    fold.resolver.setIdentifier("/Applications/Google Chrome.app", "com.google.Chrome");
    const auto first = fold({
        process(70, "Google Chrome", "/Applications/Google Chrome.app/Contents/MacOS/Google Chrome",
                900),
        process(71, "slack", "/usr/lib/slack/slack", 500),
        process(72, "bash", "/bin/bash", 10),
    });
    EXPECT_EQ(first[0].hogLabel, "Chrome");
    EXPECT_TRUE(first[0].isKnownHog);
    EXPECT_EQ(first[1].hogLabel, "Slack");
    EXPECT_FALSE(first[2].isKnownHog);
    EXPECT_FALSE(first[2].hogLabel);

    // A bundle whose identifier changes keeps the one read first.
    fold.resolver.setIdentifier("/Applications/Google Chrome.app", "org.example.changed");
    const auto second = fold({process(
        73, "Google Chrome", "/Applications/Google Chrome.app/Contents/MacOS/Google Chrome", 1)});
    EXPECT_EQ(second[0].bundleID, "com.google.Chrome");
    EXPECT_EQ(second[0].hogLabel, "Chrome");
}

TEST(AppGrouping, FootprintSumsDoNotWrapAround) {
    Fold fold;
    const auto groups = fold({process(80, "big", "", UINT64_MAX - 1), process(81, "big", "", 5)});
    EXPECT_EQ(groups[0].current, UINT64_MAX);
}

} // namespace
} // namespace quorvel
