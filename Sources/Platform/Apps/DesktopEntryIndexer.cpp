#include "Apps/DesktopEntryIndexer.h"

#include <QFileSystemWatcher>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <set>

#include "Apps/DesktopEntryIndex.h"

namespace quorvel::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kSettleTime = 500ms;

// The directories to watch: each applications directory with all its
// subdirectories and, for one that is missing, its nearest existing
// ancestor, where its creation will show.
struct WatchSet {
    std::set<std::string> applications;
    std::set<std::string> ancestors;

    bool operator==(const WatchSet &) const = default;

    QStringList paths() const {
        QStringList paths;
        for (const auto *set : {&applications, &ancestors}) {
            for (const std::string &path : *set)
                paths << QString::fromStdString(path);
        }
        return paths;
    }
};

bool isDirectory(const fs::path &path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

void addTree(std::set<std::string> &set, const std::string &directory) {
    set.insert(directory);
    std::error_code error;
    fs::recursive_directory_iterator walk(directory, fs::directory_options::skip_permission_denied,
                                          error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        std::error_code kindError;
        if (walk->is_directory(kindError) && !walk->is_symlink(kindError)) {
            set.insert(walk->path().string());
        }
    }
}

WatchSet watchSetFor(const std::vector<std::string> &directories) {
    WatchSet watch;
    for (const std::string &directory : directories) {
        if (isDirectory(directory)) {
            addTree(watch.applications, directory);
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

DesktopEntryIndexer::~DesktopEntryIndexer() {
    quit();
    wait();
}

void DesktopEntryIndexer::run() {
    QFileSystemWatcher watcher;
    QTimer settle;
    settle.setSingleShot(true);
    settle.setInterval(kSettleTime);
    WatchSet watched;

    // Watch before reading, so a change made while the build runs is not missed.
    const auto build = [&] {
        watched = watchSetFor(directories_);
        if (!watcher.directories().isEmpty()) watcher.removePaths(watcher.directories());
        const QStringList paths = watched.paths();
        if (!paths.isEmpty()) watcher.addPaths(paths);
        publish_(std::make_shared<const DesktopEntryIndex>(directories_));
    };
    // An ancestor changes for many reasons; only the arrival of a missing
    // directory (or of a step towards it) asks for a build.
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &settle,
                     [&](const QString &path) {
                         if (watched.applications.contains(path.toStdString()) ||
                             watchSetFor(directories_) != watched) {
                             settle.start();
                         }
                     });
    QObject::connect(&settle, &QTimer::timeout, &settle, build);

    build();
    exec();
}

} // namespace quorvel::platform
