#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quorvel::platform {

// A stored bool, or a blob of bytes.
using DefaultsValue = std::variant<bool, std::string>;

struct DefaultsEntry {
    std::string key;
    DefaultsValue value;
};

// The user's small persistent state, by key. Main thread only.
class DefaultsStore {
public:
    virtual ~DefaultsStore() = default;

    virtual bool contains(std::string_view key) const = 0;
    // Nothing when absent or not a bool.
    virtual std::optional<bool> boolValue(std::string_view key) const = 0;
    // Nothing when absent; a stored bool is no data either.
    virtual std::optional<std::string> dataValue(std::string_view key) const = 0;
    // Stores every entry, or none when that fails; true when they are kept.
    virtual bool write(const std::vector<DefaultsEntry> &entries) = 0;
    // Where the user finds the values, for messages; empty when nowhere.
    virtual std::string location() const { return {}; }
};

} // namespace quorvel::platform
