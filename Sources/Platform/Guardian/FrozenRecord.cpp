#include "Guardian/FrozenRecord.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <optional>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Guardian/FreezeGuardian.h"
#include "Workspace/ProcessSignaller.h"

namespace quorvel::platform {
namespace {

constexpr std::string_view kHeader = "quorvel-frozen 1\n";
// Far beyond any real list; a larger file is not ours to trust.
constexpr off_t kLargestFile = 256 * 1024;
constexpr std::size_t kLongestName = 256;

std::string encoded(const QString &path) {
    return QFile::encodeName(path).toStdString();
}

bool writeAll(int fd, const std::string &text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote <= 0) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

template <typename Number> bool parse(std::string_view text, Number &value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// "<pid> <start time> <application name>"; nothing for anything else.
std::optional<FrozenEntry> entryFrom(std::string_view line) {
    const std::size_t first = line.find(' ');
    if (first == std::string_view::npos) return std::nullopt;
    const std::size_t second = line.find(' ', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    FrozenEntry entry;
    if (!parse(line.substr(0, first), entry.pid) ||
        !parse(line.substr(first + 1, second - first - 1), entry.startTime))
        return std::nullopt;
    if (entry.pid <= 1 || entry.startTime == 0) return std::nullopt;
    // Shown in the history: only whole characters, and not too many.
    const std::string_view name = line.substr(second + 1).substr(0, kLongestName);
    entry.appName =
        QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toStdString();
    return entry;
}

} // namespace

QString FrozenRecord::runtimeDirectory() {
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QDir(xdg).exists()) return xdg;
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

QString FrozenRecord::defaultPath() {
    const QString folder = runtimeDirectory();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/quorvel-frozen");
}

bool FrozenRecord::write(const QString &path, const std::vector<FrozenEntry> &entries) {
    const std::string target = encoded(path);
    if (entries.empty()) return ::unlink(target.c_str()) == 0 || errno == ENOENT;
    std::string text(kHeader);
    for (const FrozenEntry &entry : entries) {
        std::string name = entry.appName.substr(0, kLongestName);
        std::ranges::replace_if(
            name, [](char c) { return c == '\n' || c == '\r'; }, ' ');
        text +=
            std::to_string(entry.pid) + ' ' + std::to_string(entry.startTime) + ' ' + name + '\n';
    }
    // A copy left by a run that died while writing is ours to replace.
    const std::string temporary = target + ".new";
    ::unlink(temporary.c_str());
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written = writeAll(fd, text);
    if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::vector<FrozenEntry> FrozenRecord::read(const QString &path) {
    const int fd = ::open(encoded(path).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    struct stat status {};
    std::string text;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::getuid() &&
        status.st_size <= kLargestFile) {
        text.resize(static_cast<std::size_t>(kLargestFile) + 1);
        std::size_t got = 0;
        bool failed = false;
        while (got < text.size()) {
            const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
            if (n < 0) failed = true;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        text.resize(failed || got > static_cast<std::size_t>(kLargestFile) ? 0 : got);
    }
    ::close(fd);
    if (!text.starts_with(kHeader)) return {};
    std::vector<FrozenEntry> entries;
    std::string_view rest = std::string_view(text).substr(kHeader.size());
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos) break; // cut short while written
        if (std::optional<FrozenEntry> entry = entryFrom(rest.substr(0, end)))
            entries.push_back(std::move(*entry));
        rest.remove_prefix(end + 1);
    }
    return entries;
}

std::vector<std::string> FrozenRecord::recover(const QString &path) {
    std::vector<std::string> names;
    for (const FrozenEntry &entry : read(path)) {
        if (!ProcessSignaller::continueIfStillStopped(entry.pid, entry.startTime)) continue;
        if (std::ranges::find(names, entry.appName) == names.end()) names.push_back(entry.appName);
    }
    ::unlink(encoded(path).c_str());
    return names;
}

FrozenLedger::FrozenLedger(QString recordPath)
    : recordPath_(std::move(recordPath)) {}

void FrozenLedger::stopped(const SampledProcess &process, const std::string &appName) {
    // Without a start time a later process on the pid could not be told apart.
    if (process.pid <= 1 || process.startTime == 0) return;
    FreezeGuardian::tell(FreezeGuardian::Op::add, process.pid, process.startTime);
    std::erase_if(entries_, [&](const FrozenEntry &entry) { return entry.pid == process.pid; });
    entries_.push_back({process.pid, process.startTime, appName});
    if (!recordPath_.isEmpty()) FrozenRecord::write(recordPath_, entries_);
}

void FrozenLedger::released(const SampledProcess &process) {
    if (!std::erase_if(entries_, [&](const FrozenEntry &e) { return e.pid == process.pid; }))
        return;
    FreezeGuardian::tell(FreezeGuardian::Op::remove, process.pid, process.startTime);
    if (!recordPath_.isEmpty()) FrozenRecord::write(recordPath_, entries_);
}

void FrozenLedger::ended() {
    FreezeGuardian::tell(FreezeGuardian::Op::goodbye, 0, 0);
}

} // namespace quorvel::platform
