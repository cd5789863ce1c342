#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>

#include "Util/L10n.h"

namespace quorvel {
namespace {

// The view tests again, in a child whose language is forced: their pictures
// come out in that language, and their checks (texts whole, nothing clipped)
// must hold there too.
TEST(LocalisedViews, HoldInJapaneseChineseAndRussian) {
    if (qEnvironmentVariableIsSet("QUORVEL_LOCALE")) GTEST_SKIP() << "already the child";
    for (const char *locale : {"ja", "zh-Hans", "ru"}) {
        SCOPED_TRACE(locale);
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUORVEL_LOCALE"), QString::fromLatin1(locale));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("--gtest_filter=LocalisedViews.*:*PressureHeader*:ProRootView.*:"
                            "GroupRow.*:ApplicationList.*:GovernanceConfirmation.*:Focus*:"
                            "HistoryView.Shows*:PanelFooter.*")});
        ASSERT_TRUE(child.waitForFinished(180000));
        const QByteArray output = child.readAll();
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains("[  PASSED  ]")) << output.toStdString();
    }
}

TEST(LocalisedViews, TheChildSpeaksTheForcedLanguage) {
    const QString forced = qEnvironmentVariable("QUORVEL_LOCALE");
    if (forced.isEmpty()) GTEST_SKIP() << "only in the child";
    EXPECT_EQ(L10n::shared().locale(), forced.toStdString());
}

} // namespace
} // namespace quorvel
