#include "Apps/BoundedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::platform {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

std::optional<std::string> readBoundedFile(const std::string &path, size_t limit) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    if (static_cast<unsigned long long>(info.st_size) > limit) return std::nullopt;

    // Files under /proc report a size of 0, so read to the end whatever
    // fstat said.
    std::string content;
    char buffer[4096];
    while (true) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return std::nullopt;
        if (count == 0) return content;
        if (content.size() + static_cast<size_t>(count) > limit) return std::nullopt;
        content.append(buffer, static_cast<size_t>(count));
    }
}

} // namespace quorvel::platform
