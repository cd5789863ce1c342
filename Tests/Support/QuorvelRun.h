#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <string>

namespace quorvel::test {

// How a run of the real program ended; exit code -1 when it crashed or had
// to be stopped.
struct Finished {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs quorvel with `arguments` in `environment` to its end.
inline Finished runQuorvel(const QStringList &arguments, const QProcessEnvironment &environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUORVEL_BINARY), arguments);
    Finished result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

} // namespace quorvel::test
