#pragma once

#include <map>
#include <unordered_map>

#include "Apps/ApplicationResolver.h"

namespace quorvel::platform {

// Resolves from tables filled in beforehand, for tests and the demo. Like a
// live resolver it answers each process once and keeps that answer until
// `retainOnly` drops it. Fill it before handing it to the sampling thread.
class InMemoryApplicationResolver final : public ApplicationResolver {
public:
    // Processes running `executablePath` belong to `application`, and the
    // application's path carries its identifier.
    void addApplication(const std::string &executablePath, const InstalledApplication &application);
    // The identifier of whatever is installed at `path`, e.g. a bundle.
    void setIdentifier(const std::string &path, const std::string &identifier);

    // How many processes are remembered.
    std::size_t rememberedCount() const { return resolved_.size(); }

    std::optional<InstalledApplication> applicationFor(const ProcessIdentity &process,
                                                       const std::string &executablePath) override;
    std::optional<std::string> identifierAt(const std::string &path) override;
    void retainOnly(const std::vector<ProcessIdentity> &alive) override;

private:
    using Key = std::pair<int32_t, uint64_t>;

    std::unordered_map<std::string, InstalledApplication> byExecutable_;
    std::unordered_map<std::string, std::string> identifiers_;
    std::map<Key, std::optional<InstalledApplication>> resolved_;
};

} // namespace quorvel::platform
