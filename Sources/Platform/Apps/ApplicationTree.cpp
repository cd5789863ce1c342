#include "Apps/ApplicationTree.h"

#include <deque>
#include <filesystem>
#include <utility>

namespace quorvel::platform {
namespace {

namespace fs = std::filesystem;

// Whether `applications` is a directory lying inside its data directory once
// every link is resolved.
bool staysInsideDataDirectory(const fs::path &applications) {
    std::error_code error;
    const fs::path inner = fs::canonical(applications, error);
    if (error || !fs::is_directory(inner, error)) return false;
    const fs::path outer = fs::canonical(applications.parent_path(), error);
    if (error) return false;
    const fs::path below = inner.lexically_relative(outer);
    return !below.empty() && *below.begin() != ".." && below != ".";
}

} // namespace

std::vector<std::string> applicationTree(const std::string &applications,
                                         const std::function<bool()> &stopped) {
    std::vector<std::string> tree;
    fs::path normal = fs::path(applications).lexically_normal();
    if (!normal.has_filename()) normal = normal.parent_path(); // a trailing '/'
    if (!staysInsideDataDirectory(normal)) return tree;
    std::deque<std::pair<fs::path, int>> pending{{fs::path(applications), 0}};
    while (!pending.empty() && !(stopped && stopped())) {
        auto [directory, depth] = std::move(pending.front());
        pending.pop_front();
        tree.push_back(directory.string());
        if (depth == kApplicationTreeDepth) continue;
        std::error_code error;
        fs::directory_iterator entries(directory, fs::directory_options::skip_permission_denied,
                                       error);
        for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
            if (tree.size() + pending.size() >= kApplicationTreeDirectories) break;
            if (stopped && stopped()) break;
            std::error_code kindError;
            if (fs::is_directory(entries->symlink_status(kindError))) {
                pending.emplace_back(entries->path(), depth + 1);
            }
        }
    }
    return tree;
}

} // namespace quorvel::platform
