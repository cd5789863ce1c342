#pragma once

#include <functional>
#include <map>

#include "Defaults/DefaultsStore.h"

namespace quorvel::platform {

// Defaults kept for the run only, for tests and the demo.
class InMemoryDefaultsStore final : public DefaultsStore {
public:
    bool contains(std::string_view key) const override;
    std::optional<bool> boolValue(std::string_view key) const override;
    std::optional<std::string> dataValue(std::string_view key) const override;
    bool write(const std::vector<DefaultsEntry> &entries) override;

    // Every later write fails and keeps nothing, as on a full disk.
    void setFailsWrites(bool fails) { failsWrites_ = fails; }
    // Writes asked for, failed ones included.
    int writeCount() const { return writeCount_; }

private:
    std::map<std::string, DefaultsValue, std::less<>> values_;
    bool failsWrites_ = false;
    int writeCount_ = 0;
};

} // namespace quorvel::platform
