#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "Apps/DesktopEntryFile.h"
#include "Notifications/FreedesktopNotifier.h"

namespace quorvel {
namespace {

const std::filesystem::path kResources =
    std::filesystem::path(QUORVEL_SOURCE_DIR) / "Sources/QuorvelDirect/Resources";

TEST(DesktopEntry, NamesQuorvelUnderTheIdItsNotificationsCarry) {
    const platform::NotifierIdentity identity;
    ASSERT_EQ(identity.desktopEntry, "io.quorvel.Quorvel");
    const std::string id = identity.desktopEntry.toStdString();
    // Installed, `quorvel` is on the PATH; here the build's own is.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(QFileInfo(QUORVEL_BINARY).absolutePath()) + ":" + path);
    const platform::DesktopEntryFile file =
        platform::DesktopEntryFile::read((kResources / (id + ".desktop")).string(), id);
    qputenv("PATH", path);
    ASSERT_TRUE(file.takesId);
    ASSERT_TRUE(file.entry) << "a shown application entry";
    EXPECT_EQ(file.entry->application.name, "Quorvel");
    EXPECT_EQ(file.entry->application.id, id);
    ASSERT_EQ(file.entry->programs.size(), 1u);
    EXPECT_EQ(file.entry->programs[0].path, std::filesystem::canonical(QUORVEL_BINARY).string());

    std::ifstream entry(kResources / (id + ".desktop"));
    const std::string text((std::istreambuf_iterator<char>(entry)), {});
    for (const char *line : {"\nExec=quorvel\n", "\nIcon=io.quorvel.Quorvel\n",
                             "\nType=Application\n", "\nCategories=System;Monitor;Utility;\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_EQ(identity.appIcon.toStdString(), id);
    EXPECT_TRUE(std::filesystem::is_regular_file(kResources / (id + ".svg"))) << "its icon";
}

} // namespace
} // namespace quorvel
