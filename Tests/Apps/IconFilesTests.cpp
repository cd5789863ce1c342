#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QUrl>

#include "Notifications/FreedesktopNotifier.h"

namespace quorvel {
namespace {

// The icon by name where the desktop's themes hold it, else the own copy's file.
TEST(IconFiles, NotificationsNameTheIconOnlyWhereTheDesktopFindsIt) {
    const QTemporaryDir prefix;
    const QString name = "io.quorvel.Quorvel", share = prefix.filePath("share"),
                  bin = share + "/../bin";
    const QString copy = share + "/icons/hicolor/scalable/apps/" + name + ".svg";
    ASSERT_TRUE(QDir().mkpath(QFileInfo(copy).path()) && QFile(copy).open(QIODevice::WriteOnly));
    EXPECT_EQ(platform::notificationIcon(name, bin, {share}), name);
    EXPECT_EQ(platform::notificationIcon(name, bin, {"/usr/share"}),
              QUrl::fromLocalFile(copy).toString());
    const QString built = platform::notificationIcon(name, QFileInfo(QUORVEL_BINARY).path(), {});
    EXPECT_TRUE(QFileInfo(QUrl(built).toLocalFile()).isFile()) << built.toStdString();
}

} // namespace
} // namespace quorvel
