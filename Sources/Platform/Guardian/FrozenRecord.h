#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

#include "Workspace/Workspace.h"

namespace quorvel::platform {

// One process Quorvel stopped, and the application it was frozen as.
struct FrozenEntry {
    int32_t pid = 0;
    uint64_t startTime = 0;
    std::string appName;

    bool operator==(const FrozenEntry &) const = default;
};

// The list of what Quorvel has stopped, kept in a small file in the runtime
// folder for what the guardian cannot cover: the whole session or unit
// killed at once takes the guardian with it. The next start continues what
// the file names and removes it.
namespace FrozenRecord {

// "quorvel-frozen" in the user's runtime folder; empty without one.
QString defaultPath();

// The runtime folder: XDG_RUNTIME_DIR when it names a folder, else Qt's
// fallback, which is empty when that folder is not the user's own.
QString runtimeDirectory();

// Replaces the file at once (a new copy renamed over it, readable by the
// user alone), or removes it when `entries` is empty. False when it could
// not be written.
bool write(const QString &path, const std::vector<FrozenEntry> &entries);

// What the file names. Anything but a small regular file of this user,
// opened without following a link, reads as nothing; so do lines that are
// not entries.
std::vector<FrozenEntry> read(const QString &path);

// Continues each process the file names that is still the same process and
// still stopped, and removes the file. The names of the applications
// continued, each once, in the file's order.
std::vector<std::string> recover(const QString &path);

} // namespace FrozenRecord

// The live list behind the guardian and the record file: every change is
// told to both.
class FrozenLedger {
public:
    explicit FrozenLedger(QString recordPath);

    void stopped(const SampledProcess &process, const std::string &appName);
    void released(const SampledProcess &process);
    // Quorvel ends in order and has continued what it froze: the guardian
    // may go.
    void ended();

private:
    QString recordPath_;
    std::vector<FrozenEntry> entries_;
};

} // namespace quorvel::platform
