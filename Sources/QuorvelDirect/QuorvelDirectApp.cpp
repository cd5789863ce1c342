#include "QuorvelDirectApp.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

#include "CommandLine.h"
#include "HeadlessRun.h"
#include "InstanceLock.h"

namespace quorvel {
namespace {

// Beside bin/quorvel as <prefix>/lib/quorvel/quorvel, in the build tree as
// in an installed copy; named as this one, so the process keeps its name.
int becomeDrawingProgram(char **argv) {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path program =
        self.parent_path().parent_path() / "lib" / "quorvel" / "quorvel";
    if (!error) ::execv(program.c_str(), argv);
    const std::string text = "quorvel: cannot start " + program.string() + ": " +
                             std::strerror(error ? error.value() : errno) + "\n";
    std::fputs(text.c_str(), stderr);
    return 1;
}

int runHeadless(int argc, char **argv) {
    InstanceLock lock;
    FrozenSafety safety;
    if (const std::optional<int> failed = beginRun(argc, argv, LaunchMode::headless, lock, safety))
        return *failed;
    startGuardian(safety);
    return runModelAlone(argc, argv, safety);
}

} // namespace

int runQuorvel(int argc, char **argv) {
    const CommandLine options = beginProgram(argc, argv);
    if (options.exitCode >= 0) return options.exitCode;
    switch (options.mode) {
    case LaunchMode::headless: return runHeadless(argc, argv);
    case LaunchMode::print:
    case LaunchMode::json: // printed already
    case LaunchMode::render:
    case LaunchMode::storeEdition:
    case LaunchMode::tray: break;
    }
    return becomeDrawingProgram(argv);
}

} // namespace quorvel
