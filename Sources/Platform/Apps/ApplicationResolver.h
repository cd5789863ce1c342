#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorvel::platform {

// An installed application as the platform knows it. On Linux this is a
// desktop entry; on macOS it would be an application bundle.
struct InstalledApplication {
    std::string path; // where the application is installed; the group key
    std::string id;   // its identifier, e.g. "org.mozilla.firefox"
    std::string name; // its name in the run's language
    std::string icon; // its icon name or path; empty when it declares none
    // A terminal emulator: what runs in it is not part of it.
    bool isTerminal = false;
    // Found only through the unit the desktop started the process in, not
    // through the process's own program, which a terminal's shells share.
    bool byLaunchUnit = false;

    bool operator==(const InstalledApplication &) const = default;
};

// Identifies one process across samples: a pid alone may be reused.
struct ProcessIdentity {
    int32_t pid = 0;
    uint64_t startTime = 0;

    bool operator==(const ProcessIdentity &) const = default;
};

// Tells which installed application a process belongs to. Called from the
// sampling thread only; implementations keep their own caches.
class ApplicationResolver {
public:
    virtual ~ApplicationResolver() = default;

    // The application that owns the process, or nothing. Worked out once per
    // identity and remembered until `retainOnly` drops it.
    virtual std::optional<InstalledApplication>
    applicationFor(const ProcessIdentity &process, const std::string &executablePath) = 0;

    // The identifier of the application installed at `path`, or nothing when
    // no application is installed there.
    virtual std::optional<std::string> identifierAt(const std::string &path) = 0;

    // Forgets every process not in `alive`, so a long run does not grow.
    virtual void retainOnly(const std::vector<ProcessIdentity> &alive) = 0;
};

} // namespace quorvel::platform
