#include "Defaults/InMemoryDefaultsStore.h"

namespace quorvel::platform {

bool InMemoryDefaultsStore::contains(std::string_view key) const {
    return values_.find(key) != values_.end();
}

std::optional<bool> InMemoryDefaultsStore::boolValue(std::string_view key) const {
    const auto found = values_.find(key);
    if (found == values_.end()) return std::nullopt;
    if (const bool *value = std::get_if<bool>(&found->second)) return *value;
    return std::nullopt;
}

std::optional<std::string> InMemoryDefaultsStore::dataValue(std::string_view key) const {
    const auto found = values_.find(key);
    if (found == values_.end()) return std::nullopt;
    if (const std::string *value = std::get_if<std::string>(&found->second)) return *value;
    return std::nullopt;
}

bool InMemoryDefaultsStore::write(const std::vector<DefaultsEntry> &entries) {
    ++writeCount_;
    if (failsWrites_) return false;
    for (const DefaultsEntry &entry : entries) values_.insert_or_assign(entry.key, entry.value);
    return true;
}

} // namespace quorvel::platform
