#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Desktops start every application they launch in a systemd unit of its own
// and name the unit after the application's desktop file ID. These functions
// read that ID back out of a process's cgroup.
namespace quorvel::platform::CgroupUnitName {

// The unit that holds the process, taken from the unified ("0::") line of
// /proc/<pid>/cgroup: the innermost scope or service. Sub-groups a service
// made for itself are looked through; a slice never holds processes.
std::optional<std::string> innermostUnit(std::string_view cgroupText);

// "\x2d" and the like become the bytes they stand for; anything else stays.
std::string decodeEscapes(std::string_view text);

// The desktop file IDs the unit may name, most likely first. Whether a
// launcher name precedes the ID cannot be told from the name alone, so each
// reading is offered and the caller keeps the first one that is installed.
// A unit that is no application unit gives none.
std::vector<std::string> applicationIds(std::string_view unit);

// Both steps at once: the candidate IDs for a process's cgroup text.
std::vector<std::string> applicationIdsOfCgroup(std::string_view cgroupText);

} // namespace quorvel::platform::CgroupUnitName
