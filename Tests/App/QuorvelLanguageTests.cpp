#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <filesystem>

#include "Support/IsolatedRun.h"
#include "Util/Localizer.h"

namespace quorvel {
namespace {

const QString kBundleSource =
    QStringLiteral(QUORVEL_SOURCE_DIR) +
    QStringLiteral("/Sources/QuorvelCore/Resources/Quorvel_QuorvelCore.bundle");

// A copy of the real executable in <prefix>/bin of a private prefix, so that
// it looks for its resources in that prefix only.
class CopiedQuorvel {
public:
    CopiedQuorvel() {
        EXPECT_TRUE(QDir().mkpath(prefix_.filePath(QStringLiteral("bin"))));
        EXPECT_TRUE(QFile::copy(QStringLiteral(QUORVEL_BINARY), binary()));
    }

    QString binary() const { return prefix_.filePath(QStringLiteral("bin/quorvel")); }

    void installBundle() const {
        const std::filesystem::path target =
            prefix_.filePath(QStringLiteral("share/quorvel")).toStdString();
        std::filesystem::create_directories(target);
        std::filesystem::copy(kBundleSource.toStdString(), target / "Quorvel_QuorvelCore.bundle",
                              std::filesystem::copy_options::recursive);
    }

    void start(QProcess &process, const QString &locale) const {
        QProcessEnvironment environment = run_.environment();
        environment.insert(QStringLiteral("QUORVEL_LOCALE"), locale);
        process.setProcessEnvironment(environment);
        process.start(binary(), {});
    }

private:
    QTemporaryDir prefix_;
    test::IsolatedRun run_;
};

TEST(QuorvelLanguage, StopsWithAMessageWithoutItsResourceBundle) {
    CopiedQuorvel quorvel;
    QProcess process;
    quorvel.start(process, QStringLiteral("en"));
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardError(),
              QByteArray("quorvel: unable to find bundle named Quorvel_QuorvelCore\n"));
}

TEST(QuorvelLanguage, NamesTheInstalledLanguagesForAnUnknownForcedOne) {
    CopiedQuorvel quorvel;
    quorvel.installBundle();
    QProcess process;
    process.setReadChannel(QProcess::StandardError);
    quorvel.start(process, QStringLiteral("xx"));
    while (!process.canReadLine()) {
        ASSERT_TRUE(process.waitForReadyRead(30000));
    }
    // It goes on running in the language it fell back to.
    EXPECT_EQ(process.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(10000));

    std::string installed;
    const LocalizationRoots roots{std::nullopt,
                                  (kBundleSource + QStringLiteral("/Localization")).toStdString()};
    for (const std::string &code : Localizer::installedLocales(roots)) {
        installed += (installed.empty() ? "" : ", ") + code;
    }
    EXPECT_EQ(process.readAllStandardError().toStdString(),
              "quorvel: QUORVEL_LOCALE=xx is not an installed language, so the preferred "
              "languages decide; installed: " +
                  installed + "\n");
}

} // namespace
} // namespace quorvel
