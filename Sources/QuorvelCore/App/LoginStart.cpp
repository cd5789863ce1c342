#include "App/LoginStart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Util/ResourceLocations.h"

namespace quorvel::LoginStart {
namespace {

constexpr char kEntryName[] = "io.quorvel.Quorvel.desktop";

// The parent of the program's own directory: the installation prefix, or the
// build tree, which mirrors it.
QString installRoot() {
    const auto root = ResourceLocations::ofRunningExecutable().applicationDirectory;
    return root ? QString::fromStdString(root->string()) : QString();
}

// One argument of an Exec line: quoted where it holds a reserved character,
// then escaped as any string value is.
QByteArray execArgument(const QString &argument) {
    static const QString reserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
    QString quoted = argument;
    if (std::any_of(argument.begin(), argument.end(),
                    [](QChar c) { return reserved.contains(c); })) {
        quoted.clear();
        for (const QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return quoted.toUtf8();
}

QString failure(const char *what, const QString &path) {
    return QStringLiteral("cannot %1 %2: %3")
        .arg(QString::fromLatin1(what), path, QString::fromLocal8Bit(std::strerror(errno)));
}

QString writeEntry(const QString &path, const QByteArray &text) {
    if (!QDir().mkpath(QFileInfo(path).path())) return failure("make the folder of", path);
    // A scratch file beside it, renamed over the name: the rename replaces a
    // link there rather than the file it leads to, and the desktop never
    // reads half an entry (nor the scratch file, which is no .desktop).
    QByteArray scratch = QFile::encodeName(QFileInfo(path).path()) + "/." + kEntryName + ".XXXXXX";
    const int fd = ::mkstemp(scratch.data());
    if (fd < 0) return failure("write", path);
    const bool written = ::write(fd, text.constData(), static_cast<size_t>(text.size())) ==
                             static_cast<ssize_t>(text.size()) &&
                         ::fchmod(fd, 0644) == 0;
    if (::close(fd) != 0 || !written ||
        ::rename(scratch.constData(), QFile::encodeName(path).constData()) != 0) {
        const QString problem = failure("write", path);
        ::unlink(scratch.constData());
        return problem;
    }
    return {};
}

} // namespace

QString entryPath() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(config)) config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/") + QLatin1String(kEntryName);
}

bool isOn() {
    return QFileInfo(entryPath()).isFile();
}

QString setOn(bool on) {
    const QString path = entryPath();
    if (!on) {
        if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
            return failure("remove", path);
        return {};
    }
    const QString root = installRoot();
    const QString installed = root + QStringLiteral("/share/applications/") + kEntryName;
    QFile source(installed);
    if (root.isEmpty() || !source.open(QIODevice::ReadOnly)) return failure("read", installed);
    const QByteArray text = entryFor(source.readAll(), root + QStringLiteral("/bin/quorvel"));
    if (text.isEmpty()) return QStringLiteral("cannot name %1 in a desktop entry").arg(root);
    return writeEntry(path, text);
}

QByteArray entryFor(const QByteArray &installed, const QString &program) {
    // A line break or other control character has no place in an Exec line.
    if (std::any_of(program.begin(), program.end(), [](QChar c) { return c.unicode() < 0x20; }))
        return {};
    QByteArray result;
    for (const QByteArray &line : installed.split('\n')) {
        if (line.startsWith("Exec=")) {
            // The program is the first argument; the others stay as they are.
            const QByteArray value = line.mid(5).trimmed();
            const qsizetype end = value.indexOf(' ');
            result += "Exec=" + execArgument(program) + (end < 0 ? QByteArray() : value.mid(end));
        } else if (line.startsWith("TryExec=")) {
            QByteArray path = program.toUtf8();
            path.replace('\\', "\\\\");
            result += "TryExec=" + path;
        } else {
            result += line;
        }
        result += '\n';
    }
    // split() leaves one empty piece after the final line break.
    if (installed.endsWith('\n')) result.chop(1);
    return result;
}

} // namespace quorvel::LoginStart
