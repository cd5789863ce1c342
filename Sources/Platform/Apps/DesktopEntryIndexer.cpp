#include "Apps/DesktopEntryIndexer.h"

#include <QFileSystemWatcher>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>

#include "Apps/ApplicationTree.h"
#include "Apps/DesktopEntryIndex.h"

namespace quorvel::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kSettleTime = 500ms;

// The directories to watch: each applications directory with the
// subdirectories the index reads and, for one that is missing, its nearest
// existing ancestor, where its creation will show.
struct WatchSet {
    std::set<std::string> applications;
    std::set<std::string> ancestors;

    bool operator==(const WatchSet &) const = default;

    QStringList paths() const {
        QStringList paths;
        for (const auto *set : {&applications, &ancestors}) {
            for (const std::string &path : *set) paths << QString::fromStdString(path);
        }
        return paths;
    }
};

bool isDirectory(const fs::path &path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

WatchSet watchSetFor(const std::vector<std::string> &directories,
                     const std::function<bool()> &stopped) {
    WatchSet watch;
    for (const std::string &directory : directories) {
        if (isDirectory(directory)) {
            for (std::string &path : applicationTree(directory, stopped))
                watch.applications.insert(std::move(path));
            continue;
        }
        fs::path ancestor = fs::path(directory).parent_path();
        while (!isDirectory(ancestor) && ancestor.has_relative_path()) {
            ancestor = ancestor.parent_path();
        }
        if (isDirectory(ancestor)) watch.ancestors.insert(ancestor.string());
    }
    return watch;
}

} // namespace

DesktopEntryIndexer::DesktopEntryIndexer(std::vector<std::string> directories, Publish publish)
    : directories_(std::move(directories))
    , publish_(std::move(publish)) {
    setObjectName(QStringLiteral("DesktopEntryIndexer"));
}

// A build under way stops at its next file, so that the owner (such as a
// one-shot readout leaving) never waits for a walk to end.
DesktopEntryIndexer::~DesktopEntryIndexer() {
    requestInterruption();
    quit();
    wait();
}

void DesktopEntryIndexer::run() {
    QFileSystemWatcher watcher;
    QTimer settle;
    settle.setSingleShot(true);
    settle.setInterval(kSettleTime);
    WatchSet watched;
    const std::function<bool()> stopped = [this] { return isInterruptionRequested(); };

    // Watch before reading, so a change made while the build runs is not missed.
    const auto build = [&] {
        watched = watchSetFor(directories_, stopped);
        if (!watcher.directories().isEmpty()) watcher.removePaths(watcher.directories());
        const QStringList paths = watched.paths();
        if (!paths.isEmpty()) watcher.addPaths(paths);
        auto index = std::make_shared<const DesktopEntryIndex>(directories_, stopped);
        if (!stopped()) publish_(std::move(index));
    };
    // An ancestor changes for many reasons; only the arrival of a missing
    // directory (or of a step towards it) asks for a build.
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &settle,
                     [&](const QString &path) {
                         if (watched.applications.contains(path.toStdString()) ||
                             watchSetFor(directories_, stopped) != watched) {
                             settle.start();
                         }
                     });
    QObject::connect(&settle, &QTimer::timeout, &settle, build);

    build();
    exec();
}

} // namespace quorvel::platform
