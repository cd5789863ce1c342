#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::platform {

// A process as it was sampled. Signals go only to a process that still
// matches it, so a pid reused since the sample is never touched.
struct SampledProcess {
    int32_t pid = 0;
    uint64_t startTime = 0; // clock ticks since boot; 0 when unknown
    std::string name;
    std::string path;

    bool operator==(const SampledProcess &) const = default;
};

enum class ProcessSignal { stop, resume };

struct FrontmostApplication {
    std::optional<std::string> bundleID;
    int32_t pid = 0;
};

// One running instance of an application: its topmost process.
struct RunningApplication {
    int32_t pid = 0;
    uint64_t startTime = 0;

    bool operator==(const RunningApplication &) const = default;
};

// What a request to quit did.
enum class QuitRequest {
    asked,      // the application, or each of its windows, was asked as the user would
    terminated, // it shows no window, so it was sent a termination signal
    notSent,    // its windows cannot be seen here, and a signal was not wanted
};

// What to do with an instance whose windows the desktop does not show.
enum class UnseenWindows { terminate, leave };

// What the governor needs of the desktop. Called on the main thread only.
class Workspace {
public:
    using OpenCompletion = std::function<void(std::optional<std::string> errorDescription)>;

    virtual ~Workspace() = default;

    // True when the signal was delivered. Sends nothing to pid 1 or below,
    // to this program, to another user's process, or to a process that no
    // longer matches `process`.
    virtual bool sendSignal(const SampledProcess &process, ProcessSignal signal) = 0;

    // The application whose window is active, or nothing.
    virtual std::optional<FrontmostApplication> frontmostApplication() = 0;
    // False when this desktop does not show which application is in front,
    // so that no frontmost application means "unknown", not "none".
    virtual bool canSeeFrontmost() = 0;
    // True where what is in front becomes visible once the user switches on
    // Quorvel's extension for the desktop's shell, and it is not on.
    virtual bool awaitsShellExtension() = 0;

    virtual std::vector<RunningApplication> runningApplications(const std::string &bundleID) = 0;

    // Asks an instance of `applicationID` to quit as the user would: it may
    // refuse or ask to save. Only an instance known to have no window is
    // sent a termination signal, unless `unseen` allows it.
    virtual QuitRequest requestQuit(const std::string &applicationID,
                                    const RunningApplication &instance, UnseenWindows unseen) = 0;
    // False where the desktop does not show applications' windows, so that
    // quitting may take a termination signal.
    virtual bool canSeeWindows() = 0;

    // Starts the application installed at `path` in the background. The
    // completion runs later on the main thread, with nothing on success or
    // a plain sentence saying what failed.
    virtual void openApplication(const std::string &path, OpenCompletion completion) = 0;
};

} // namespace quorvel::platform
