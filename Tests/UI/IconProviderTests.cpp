#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "Util/IconProvider.h"

namespace quorvel {
namespace {

// Writes a desktop entry whose Icon key is `icon` and returns its path.
std::string writeEntry(const QTemporaryDir &dir, const QString &name, const QString &icon) {
    const QString path = dir.filePath(name + QStringLiteral(".desktop"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=/bin/true\nIcon=%2\n")
            .arg(name, icon)
            .toUtf8());
    return path.toStdString();
}

QRgb centre(const QIcon &icon) {
    return icon.pixmap(IconProvider::kSize)
        .toImage()
        .pixel(IconProvider::kSize / 2, IconProvider::kSize / 2);
}

TEST(IconProvider, DrawsTheGearForAnEntryWithoutAPath) {
    const QIcon first = IconProvider::icon(std::nullopt);
    const QIcon second = IconProvider::icon(std::nullopt);
    EXPECT_FALSE(first.isNull());
    EXPECT_FALSE(first.pixmap(IconProvider::kSize).isNull());
    EXPECT_EQ(first.pixmap(IconProvider::kSize).toImage(),
              second.pixmap(IconProvider::kSize).toImage());
}

TEST(IconProvider, TakesTheFileAnEntryNamesAndCachesItPerPath) {
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("red.png"));
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(png));
    const std::string entry = writeEntry(dir, QStringLiteral("Red"), png);

    const QIcon icon = IconProvider::icon(entry);
    EXPECT_EQ(centre(icon), QColor(Qt::red).rgb());
    // Later changes to the file are not seen: the icon is looked up once per path.
    QFile::remove(png);
    EXPECT_EQ(IconProvider::icon(entry).cacheKey(), icon.cacheKey());
}

TEST(IconProvider, FallsBackToAGenericIconForUnknownEntriesAndNames) {
    QTemporaryDir dir;
    const std::string unknownName =
        writeEntry(dir, QStringLiteral("Odd"), QStringLiteral("no-such-icon-name-xyz"));
    const std::string missingFile =
        writeEntry(dir, QStringLiteral("Gone"), dir.filePath(QStringLiteral("gone.png")));
    const std::string noEntry = dir.filePath(QStringLiteral("absent.desktop")).toStdString();
    const std::string oddBytes = std::string("/tmp/\xff\xfe-odd\n.desktop");
    for (const std::string &path : {unknownName, missingFile, noEntry, oddBytes}) {
        SCOPED_TRACE(path);
        const QIcon icon = IconProvider::icon(path);
        EXPECT_FALSE(icon.pixmap(IconProvider::kSize).isNull());
        EXPECT_EQ(IconProvider::icon(path).cacheKey(), icon.cacheKey());
    }
}

} // namespace
} // namespace quorvel
