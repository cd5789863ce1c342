#include <gtest/gtest.h>

#include <QTest>

#include <cstring>

#include "../Apps/ApplicationsTree.h"
#include "Workspace/DesktopLauncher.h"

namespace {

using quorvel::platform::DesktopLauncher;
using quorvel::platform::SystemdUserScope;

TEST(DesktopLauncher, WhatCannotBeStartedIsSaidInAPlainSentence) {
    ApplicationsTree tree;
    const std::string notes = tree.write("notes.txt", "Buy milk.\n");
    const std::string binary = tree.write("blob.desktop", std::string("\x7f"
                                                                      "ELF\0\0\1",
                                                                      7));
    const std::string link = tree.write("link.desktop", "[Desktop Entry]\nType=Link\nName=Home\n"
                                                        "URL=https://example.org/\n");
    const std::string tryExec = tree.write(
        "absent.desktop", desktopEntry("Absent", "absent-program", "TryExec=/nonexistent/x\n"));
    const std::string missingProgram =
        tree.write("missing.desktop", desktopEntry("Missing", "/nonexistent/program --flag"));
    const std::string lostDirectory = tree.write(
        "lost.desktop", desktopEntry("Lost", tree.program("bin/tool"), "Path=/nonexistent/dir\n"));
    const struct {
        std::string path;
        std::string error;
    } cases[] = {
        {tree.path("gone.desktop"), std::strerror(ENOENT)},
        {"", std::strerror(ENOENT)},
        {tree.path(""), std::strerror(EISDIR)},
        {notes, "“notes.txt” is not a desktop entry."},
        {binary, "“blob.desktop” is not a desktop entry."},
        {link, "The desktop entry “link.desktop” names no program that can be started."},
        {tryExec, "The desktop entry “absent.desktop” names no program that can be started."},
        {missingProgram,
         "The desktop entry “missing.desktop” names no program that can be started."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        const DesktopLauncher::Outcome outcome = DesktopLauncher::launch(c.path);
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_EQ(outcome.pid, 0);
    }
    // A failure to start the program is told in GLib's own sentence.
    const DesktopLauncher::Outcome outcome = DesktopLauncher::launch(lostDirectory);
    ASSERT_TRUE(outcome.error);
    EXPECT_NE(outcome.error->find("/nonexistent/dir"), std::string::npos) << *outcome.error;
    EXPECT_NE(outcome.error->find(std::strerror(ENOENT)), std::string::npos) << *outcome.error;
    EXPECT_EQ(outcome.pid, 0);
}

TEST(DesktopLauncher, AFailureIsReportedOnALaterTurnOfTheEventLoop) {
    DesktopLauncher launcher(std::make_unique<SystemdUserScope>(
        []() -> std::optional<QDBusConnection> { return std::nullopt; }));
    std::optional<std::optional<std::string>> result;
    launcher.open("/nonexistent/editor.desktop", std::nullopt, [&](auto error) { result = error; });
    EXPECT_FALSE(result);
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 5000));
    EXPECT_EQ(*result, std::string(std::strerror(ENOENT)));
}

} // namespace
