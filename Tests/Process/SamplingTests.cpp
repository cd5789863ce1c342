#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Apps/InMemoryApplicationResolver.h"
#include "Engine/AppGrouping.h"

namespace quorvel {
namespace {

using std::nullopt;

RawProcess process(int32_t pid, std::string name, std::string path, uint64_t footprint,
                   uint64_t startTime = 1000, int32_t status = 3) {
    return {pid, 1, 1000, status, footprint, std::move(name), std::move(path), startTime};
}

const platform::InstalledApplication editor{"/usr/share/applications/org.example.Editor.desktop",
                                            "org.example.Editor", "Editor", "text-editor"};

struct Fold {
    platform::InMemoryApplicationResolver resolver;
    AppGrouping::Caches caches;

    std::vector<AppGroup> operator()(const std::vector<RawProcess> &processes) {
        return AppGrouping::fold(processes, resolver, caches);
    }
};

// The outermost bundle (matched case-sensitively) comes first, then the
// application the resolver names, then the process name. Sums saturate.
TEST(AppGrouping, PlacesProcessesByBundleThenResolverThenName) {
    Fold fold;
    fold.resolver.setIdentifier("/Applications/Foo.app", "com.example.foo");
    fold.resolver.addApplication("/usr/bin/editor", editor);
    fold.resolver.addApplication("/Applications/Foo.app/Contents/MacOS/Foo", editor);
    const auto groups = fold({
        process(10, "Foo", "/Applications/Foo.app/Contents/MacOS/Foo", 300),
        process(11, "Foo Helper",
                "/Applications/Foo.app/Contents/Frameworks/Foo Helper.app/Contents/MacOS/Foo", 200),
        process(12, "Bar", "/Applications/Bar.APP/Contents/MacOS/Bar", 50),
        process(20, "bar", "/usr/libexec/bar", 10, 1000, RawProcess::kStoppedStatus),
        process(22, "bar", "/opt/bar", 5),
        process(30, "editor", "/usr/bin/editor", 40),
        process(80, "big", "", UINT64_MAX - 1, 1000, RawProcess::kStoppedStatus),
        process(81, "big", "", 5, 1000, RawProcess::kStoppedStatus),
    });
    struct Expected {
        std::string key, displayName;
        std::optional<std::string> bundleID;
        std::vector<int32_t> pids;
        uint64_t current;
        bool stopped = false; // only while all its processes are
    };
    const Expected expected[] = {{"proc:big", "big", nullopt, {80, 81}, UINT64_MAX, true},
                                 {"/Applications/Foo.app", "Foo", "com.example.foo", {10, 11}, 500},
                                 {"proc:Bar", "Bar", nullopt, {12}, 50},
                                 {editor.path, "Editor", "org.example.Editor", {30}, 40},
                                 {"proc:bar", "bar", nullopt, {20, 22}, 15}};
    ASSERT_EQ(groups.size(), std::size(expected));
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const Expected &e = expected[i];
        const AppGroup &group = groups[i];
        SCOPED_TRACE(e.key);
        EXPECT_EQ(group.key, e.key);
        EXPECT_EQ(group.displayName, e.displayName);
        EXPECT_EQ(group.appPath, e.key.starts_with("proc:") ? nullopt : std::optional(e.key));
        EXPECT_EQ(group.bundleID, e.bundleID);
        EXPECT_EQ(group.pids(), e.pids);
        EXPECT_EQ(group.current, e.current);
        EXPECT_EQ(group.peak, e.current);
        EXPECT_EQ(group.isStopped, e.stopped);
    }
}

TEST(AppGrouping, AReusedPidIsResolvedAfreshAndGoneProcessesAreForgotten) {
    Fold fold;
    fold.resolver.addApplication("/usr/bin/editor", editor);
    auto groups = fold(
        {process(42, "editor", "/usr/bin/editor", 10, 100), process(43, "sh", "/bin/sh", 1, 100)});
    EXPECT_EQ(groups[0].key, editor.path);
    EXPECT_EQ(fold.resolver.rememberedCount(), 2u);
    // Pid 42 now belongs to another program, started later.
    groups = fold({process(42, "other", "/opt/other", 10, 250)});
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].key, "proc:other");
    EXPECT_EQ(fold.resolver.rememberedCount(), 1u);
    fold({});
    EXPECT_EQ(fold.resolver.rememberedCount(), 0u);
}

TEST(AppGrouping, PeaksOutliveShrinkingAndRestartedApplications) {
    Fold fold;
    auto peakOf = [&](uint64_t footprint) {
        return fold({process(60, "app", "/bin/app", footprint)}).front().peak;
    };
    EXPECT_EQ(peakOf(100), 100u);
    EXPECT_EQ(peakOf(40), 100u);
    EXPECT_TRUE(fold({}).empty());
    EXPECT_EQ(peakOf(70), 100u);
    EXPECT_EQ(peakOf(130), 130u);
}

} // namespace
} // namespace quorvel
