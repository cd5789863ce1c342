#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>

namespace quorvel::platform {

// Remembers per key what a lookup in the desktop entry index found. A found
// value stays; "nothing" holds only for the index build it was worked out
// with, since a later build may know the answer.
template <typename Key, typename Value, typename Hash = std::hash<Key>> class ResolutionCache {
public:
    template <typename Lookup>
    std::optional<Value> get(const Key &key, uint64_t indexBuild, Lookup lookUp) {
        const auto found = entries_.find(key);
        if (found != entries_.end() &&
            (found->second.value || found->second.indexBuild == indexBuild)) {
            return found->second.value;
        }
        std::optional<Value> value = lookUp();
        entries_.insert_or_assign(key, Entry{value, indexBuild});
        return value;
    }

    template <typename Predicate> void keepOnly(Predicate keep) {
        std::erase_if(entries_, [&](const auto &entry) { return !keep(entry.first); });
    }

private:
    struct Entry {
        std::optional<Value> value;
        uint64_t indexBuild;
    };

    std::unordered_map<Key, Entry, Hash> entries_;
};

} // namespace quorvel::platform
