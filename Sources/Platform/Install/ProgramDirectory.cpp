#include "Install/ProgramDirectory.h"

#include <system_error>

namespace quorvel::platform {

std::optional<std::filesystem::path> programDirectory() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !executable.has_parent_path()) return std::nullopt;
    const std::filesystem::path directory = executable.parent_path();
    if (directory.filename() == "quorvel" && directory.parent_path().filename() == "lib")
        return directory.parent_path().parent_path() / "bin";
    return directory;
}

} // namespace quorvel::platform
