#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

namespace quorvel {
namespace {

// `cmake --install` into a private prefix lays Quorvel out where the XDG
// desktop looks, and the installed program finds its string tables there.
TEST(Install, PutsTheProgramItsTablesEntryAndIconInXdgPlaces) {
    QTemporaryDir prefix;
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(QUORVEL_CMAKE),
                  {QStringLiteral("--install"), QStringLiteral(QUORVEL_BUILD_DIR),
                   QStringLiteral("--prefix"), prefix.path()});
    ASSERT_TRUE(install.waitForFinished(60000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();

    for (const char *file :
         {"bin/quorvel",
          "share/quorvel/Quorvel_QuorvelCore.bundle/Localization/en.lproj/Localizable.json",
          "share/quorvel/Quorvel_QuorvelCore.bundle/Localization/ja.lproj/Localizable.json",
          "share/applications/io.quorvel.Quorvel.desktop",
          "share/icons/hicolor/scalable/apps/io.quorvel.Quorvel.svg"}) {
        EXPECT_TRUE(QFileInfo(prefix.filePath(QString::fromLatin1(file))).isFile()) << file;
    }
    EXPECT_TRUE(QFileInfo(prefix.filePath(QStringLiteral("bin/quorvel"))).isExecutable());

    // An unknown forced language makes it name the languages it found.
    QProcess quorvel;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUORVEL_LOCALE"), QStringLiteral("xx"));
    quorvel.setProcessEnvironment(environment);
    quorvel.setReadChannel(QProcess::StandardError);
    quorvel.start(prefix.filePath(QStringLiteral("bin/quorvel")), {QStringLiteral("--headless")});
    while (!quorvel.canReadLine()) {
        ASSERT_TRUE(quorvel.waitForReadyRead(30000)) << "no message";
    }
    const QByteArray line = quorvel.readLine();
    ::kill(static_cast<pid_t>(quorvel.processId()), SIGTERM);
    ASSERT_TRUE(quorvel.waitForFinished(10000));
    EXPECT_TRUE(line.contains("ja")) << line.toStdString();
    EXPECT_TRUE(line.contains("zh-Hans")) << line.toStdString();
}

} // namespace
} // namespace quorvel
