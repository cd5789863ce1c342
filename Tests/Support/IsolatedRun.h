#pragma once

#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace quorvel::test {

// The test's environment with a runtime and a settings folder of its own, so
// that runs of the program started at the same time don't meet on its
// one-per-user lock, and none reads or writes the user's own settings.
class IsolatedRun {
public:
    QProcessEnvironment environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config_.path());
        return environment;
    }
    QString runtimeDirectory() const { return runtime_.path(); }

private:
    QTemporaryDir runtime_;
    QTemporaryDir config_;
};

} // namespace quorvel::test
