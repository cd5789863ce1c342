#pragma once

#include <QThread>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorvel::platform {

class DesktopEntryIndex;

// Builds the desktop entry index on a thread of its own as soon as it
// starts, and again whenever an applications directory changes (after the
// changes have settled for a moment, so that a package install means one
// build). A directory that does not exist yet is waited for. Each
// directory is read and watched as `applicationTree` bounds it. Every build
// is handed to `publish` on this thread; one cut short by the indexer's
// destruction is not.
class DesktopEntryIndexer final : public QThread {
public:
    using Publish = std::function<void(std::shared_ptr<const DesktopEntryIndex>)>;

    DesktopEntryIndexer(std::vector<std::string> directories, Publish publish);
    ~DesktopEntryIndexer() override;

protected:
    void run() override;

private:
    std::vector<std::string> directories_;
    Publish publish_;
};

} // namespace quorvel::platform
