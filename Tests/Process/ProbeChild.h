#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <string>

// A real child running Tests/Helpers/ProbeChild (or another helper that says
// "ready" and ends when its stdin closes or on SIGTERM). The executable's
// path gives the process its name and its group.
class ProbeChild {
public:
    static QString helperPath() { return QStringLiteral(QUORVEL_HELPER_DIR "/ProbeChild"); }

    // Copies `helper` to `relativePath` (raw bytes, anything a file name may
    // hold) under `dir` and returns the copy's path.
    static std::string copyHelper(const QTemporaryDir &dir, const std::string &relativePath,
                                  const QString &helper = helperPath()) {
        const std::string path = QFile::encodeName(dir.path()).toStdString() + "/" + relativePath;
        const QString target = QFile::decodeName(QByteArray::fromStdString(path));
        QDir().mkpath(QFileInfo(target).absolutePath());
        EXPECT_TRUE(QFile::copy(helper, target)) << path;
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    explicit ProbeChild(const std::string &program, const QStringList &arguments = {}) {
        process_.start(QFile::decodeName(QByteArray::fromStdString(program)), arguments);
        started_ = process_.waitForStarted(10000) && process_.waitForReadyRead(30000) &&
                   process_.readLine().trimmed() == "ready";
    }
    ProbeChild(const ProbeChild &) = delete;
    ProbeChild &operator=(const ProbeChild &) = delete;

    ~ProbeChild() {
        if (process_.state() == QProcess::NotRunning) return;
        ::kill(pid(), SIGCONT);
        ::kill(pid(), SIGTERM);
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000)) process_.kill();
        process_.waitForFinished(10000);
    }

    bool started() const { return started_; }
    pid_t pid() const { return static_cast<pid_t>(process_.processId()); }
    QProcess &process() { return process_; }

private:
    QProcess process_;
    bool started_ = false;
};
