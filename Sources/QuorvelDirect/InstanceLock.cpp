#include "InstanceLock.h"

#include <QDir>
#include <QStandardPaths>

namespace quorvel {
namespace {

QString runtimeDirectory() {
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QDir(xdg).exists()) return xdg;
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

} // namespace

bool InstanceLock::acquire() {
    const QString directory = runtimeDirectory();
    QDir().mkpath(directory);
    file_ = std::make_unique<QLockFile>(directory + QStringLiteral("/quorvel.lock"));
    // Never by age: a long-running Quorvel keeps its lock; one whose process
    // is gone loses it.
    file_->setStaleLockTime(0);
    return file_->tryLock(0);
}

} // namespace quorvel
