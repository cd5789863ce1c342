#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "Workspace/ListedProcess.h"

namespace quorvel {

// The current user's processes, cheap enough to list on the main thread
// every few seconds. Reading a process's files costs far more than listing
// the process directory, so each process is inspected once: the directory
// listing names every process with the inode of its directory, and a pid
// whose inode changed is a new process under a reused pid and is inspected
// afresh. What a process's files said at first sight (its parent, its
// executable) is kept for its life.
class UserProcessTable {
public:
    // The process under `pid` if it is the current user's and runs a
    // program; nothing for another user's, a kernel thread or a vanished pid.
    using Inspector = std::function<std::optional<platform::ListedProcess>(int32_t pid)>;

    explicit UserProcessTable(Inspector inspect = inspectOwnProcess,
                              std::string processRoot = "/proc");

    // In the order the directory lists them.
    std::vector<platform::ListedProcess> list();

    static std::optional<platform::ListedProcess> inspectOwnProcess(int32_t pid);

private:
    struct Seen {
        uint64_t inode = 0;
        std::optional<platform::ListedProcess> process;
    };

    Inspector inspect_;
    std::string processRoot_;
    std::unordered_map<int32_t, Seen> seen_;
};

} // namespace quorvel
