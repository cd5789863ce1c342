#include "InstanceLock.h"

#include <QFile>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Guardian/FrozenRecord.h"

namespace quorvel {

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

InstanceLock::Outcome InstanceLock::acquire() {
    const QString folder = platform::FrozenRecord::runtimeDirectory();
    if (folder.isEmpty()) {
        problem_ = QStringLiteral("there is no runtime folder of this user for the lock; set "
                                  "XDG_RUNTIME_DIR to a folder of your own");
        return Outcome::unavailable;
    }
    const QString path = folder + QStringLiteral("/quorvel.lock");
    const auto unavailable = [&](const char *why) {
        problem_ =
            QStringLiteral("cannot make the lock %1: %2").arg(path, QString::fromLocal8Bit(why));
        return Outcome::unavailable;
    };
    // Not through a link, and never waiting on a FIFO someone put there. The
    // file is not handed to the applications Quorvel starts, or they would
    // keep the lock after it ends.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return unavailable(errno == ELOOP ? "it is a symbolic link" : std::strerror(errno));
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::getuid()) {
        ::close(fd);
        return unavailable("it is not a regular file of this user");
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return Outcome::heldByAnother;
        return unavailable(std::strerror(error));
    }
    // The pid inside is for people and tools; the lock is the flock alone,
    // so a write that fails here changes nothing.
    const QByteArray pid = QByteArray::number(::getpid()) + '\n';
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written =
            ::write(fd, pid.constData(), static_cast<std::size_t>(pid.size()));
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    return Outcome::acquired;
}

} // namespace quorvel
