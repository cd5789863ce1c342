#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <functional>

#include "Support/TrayDesktop.h"

namespace quorvel::test {

// The real desktop with the real quorvel in it and a helper application of
// its own desktop entry. `prepare` adjusts the environment both start in.
// The helper's name and program are this test process's own: Quorvel lists
// every process of the user, so that a test running beside this one would
// otherwise find the two helpers as one application and freeze both.
class HelperDesktop : public TrayDesktop {
public:
    explicit HelperDesktop(const QString &launchKey = {},
                           const std::function<void(QProcessEnvironment &)> &prepare = {})
        : TrayDesktop(launchKey) {
        if (!ready()) return;
        if (prepare) prepare(environment());
        const QString own = QString::number(QCoreApplication::applicationPid());
        helperName_ = QStringLiteral("Quorvel Test Helper ") + own;
        helperPath_ = home("bin") + QStringLiteral("/quorvel-test-helper-") + own;
        QFile::copy(QStringLiteral(QUORVEL_HELPER_DIR "/DesktopAppHelper"), helperPath_);
        QFile entry(home("share/applications") +
                    QStringLiteral("/org.example.QuorvelHelper.desktop"));
        entry.open(QIODevice::WriteOnly);
        entry.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\n")
                        .arg(helperName_, helperPath_)
                        .toUtf8());
        entry.close();
        start(helper_, helperPath_, {});
        // Listed as the helper only once it runs the helper's program.
        waitFor([&] {
            return QFileInfo(QStringLiteral("/proc/%1/exe").arg(helper_.processId()))
                       .symLinkTarget() == QFileInfo(helperPath_).canonicalFilePath();
        });
        helperReady_ = helper_.state() == QProcess::Running && startQuorvel();
    }

    ~HelperDesktop() {
        stop(quorvel());
        helper_.closeWriteChannel();
        stop(helper_);
    }

    bool helperReady() const { return helperReady_; }

    // Opens the panel, then scrolls the list until the helper's row is in sight.
    bool openPanelAtHelper() {
        return openPanel(QStringLiteral("footer:settings")) &&
               scrollTo(row(QStringLiteral(":menu")));
    }

    const QString &helperName() const { return helperName_; }
    QString row(const QString &part) const { return QStringLiteral("row:") + helperName_ + part; }
    QString rule(const QString &part) const { return QStringLiteral("rule:") + helperName_ + part; }

    // The process state letter of the helper, as the kernel shows it.
    char helperState() const {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(helper_.processId()));
        if (!stat.open(QIODevice::ReadOnly)) return '?';
        const QByteArray line = stat.readAll();
        const int close = line.lastIndexOf(')');
        return close >= 0 && close + 2 < line.size() ? line[close + 2] : '?';
    }

private:
    QString helperName_;
    QString helperPath_;
    QProcess helper_;
    bool helperReady_ = false;
};

} // namespace quorvel::test
