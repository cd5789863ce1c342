#include "DemoDiagnostics.h"

#include <QFile>

#include <cerrno>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Util/ShortestDecimal.h"

namespace quorvel::DemoDiagnostics {

std::string text(const QRect &frame, const QString &diagnostics) {
    std::string text;
    for (int value : {frame.x(), frame.y(), frame.width(), frame.height()}) {
        if (!text.empty()) text += ' ';
        text += shortestDecimal(value);
    }
    text += '\n';
    text += diagnostics.toStdString();
    text += '\n';
    return text;
}

void write(const QString &file, const std::string &text) {
    // The file lies in /tmp, where any local user may plant a link or a file
    // of their own under its name: only an absent name or this user's own
    // regular file is replaced, and by a rename, which never follows a link.
    const QByteArray path = QFile::encodeName(file);
    struct stat present {};
    if (::lstat(path.constData(), &present) == 0) {
        if (!S_ISREG(present.st_mode) || present.st_uid != ::getuid()) return;
    } else if (errno != ENOENT) {
        return;
    }
    QByteArray scratch = path + ".XXXXXX";
    const int fd = ::mkstemp(scratch.data());
    if (fd < 0) return;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    // Closing reports what the write may have left unsaid.
    if (::close(fd) != 0 || !written || ::rename(scratch.constData(), path.constData()) != 0)
        ::unlink(scratch.constData());
}

} // namespace quorvel::DemoDiagnostics
