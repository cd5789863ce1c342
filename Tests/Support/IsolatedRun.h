#pragma once

#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace quorvel::test {

// The test's environment with a runtime directory of its own, so that runs
// of the program started at the same time don't meet on its one-per-user lock.
class IsolatedRun {
public:
    QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        return environment;
    }
    QString runtimeDirectory() const { return runtime_.path(); }

private:
    QTemporaryDir runtime_;
};

} // namespace quorvel::test
