#include "Apps/CgroupUnitName.h"

namespace quorvel::platform::CgroupUnitName {
namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::optional<std::string_view> unifiedPath(std::string_view text) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        if (startsWith(line, "0::")) return line.substr(3);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return std::nullopt;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A random part written as a UUID with its dashes: 8-4-4-4-12 hex digits.
bool isDashedUuid(std::string_view text) {
    if (text.size() != 36) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : hexValue(text[i]) < 0) return false;
    }
    return true;
}

// The unit name with its "-<RANDOM>" tail cut off, or nothing without one.
std::optional<std::string_view> withoutRandomTail(std::string_view name) {
    if (name.size() > 37 && isDashedUuid(name.substr(name.size() - 36)) &&
        name[name.size() - 37] == '-') {
        return name.substr(0, name.size() - 37);
    }
    const size_t dash = name.rfind('-');
    if (dash == std::string_view::npos || dash == 0 || dash + 1 == name.size()) return std::nullopt;
    return name.substr(0, dash);
}

// Every way of reading "[<launcher>-]<ApplicationID>": the longest ID first.
void addLauncherReadings(std::vector<std::string> &ids, std::string_view launcherAndId) {
    size_t start = 0;
    while (start < launcherAndId.size()) {
        std::string id = decodeEscapes(launcherAndId.substr(start));
        if (!id.empty()) ids.push_back(std::move(id));
        const size_t dash = launcherAndId.find('-', start);
        if (dash == std::string_view::npos) break;
        start = dash + 1;
    }
}

std::vector<std::string> appUnitIds(std::string_view body, bool isService) {
    std::vector<std::string> ids;
    if (isService) {
        const size_t at = body.find('@');
        if (at != std::string_view::npos) {
            addLauncherReadings(ids, body.substr(0, at));
            return ids;
        }
    }
    if (const std::optional<std::string_view> named = withoutRandomTail(body)) {
        addLauncherReadings(ids, *named);
    }
    // Services may also go without any random part.
    if (isService) addLauncherReadings(ids, body);
    return ids;
}

std::vector<std::string> snapIds(std::string_view body) {
    const std::optional<std::string_view> named = withoutRandomTail(body);
    if (!named) return {};
    const size_t dot = named->find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == named->size()) return {};
    return {decodeEscapes(named->substr(0, dot)) + "_" + decodeEscapes(named->substr(dot + 1))};
}

} // namespace

std::optional<std::string> innermostUnit(std::string_view cgroupText) {
    std::optional<std::string_view> path = unifiedPath(cgroupText);
    if (!path) return std::nullopt;
    while (!path->empty()) {
        const size_t slash = path->rfind('/');
        const std::string_view component =
            slash == std::string_view::npos ? *path : path->substr(slash + 1);
        if (endsWith(component, ".scope") || endsWith(component, ".service")) {
            return std::string(component);
        }
        if (endsWith(component, ".slice") || slash == std::string_view::npos) break;
        path->remove_suffix(path->size() - slash);
    }
    return std::nullopt;
}

std::string decodeEscapes(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            const int high = hexValue(text[i + 2]);
            const int low = hexValue(text[i + 3]);
            if (high >= 0 && low >= 0) {
                decoded.push_back(static_cast<char>(high * 16 + low));
                i += 3;
                continue;
            }
        }
        decoded.push_back(text[i]);
    }
    return decoded;
}

std::vector<std::string> applicationIds(std::string_view unit) {
    if (startsWith(unit, "snap.") && endsWith(unit, ".scope")) {
        return snapIds(unit.substr(5, unit.size() - 5 - 6));
    }
    if (!startsWith(unit, "app-")) return {};
    unit.remove_prefix(4);
    if (endsWith(unit, ".scope")) return appUnitIds(unit.substr(0, unit.size() - 6), false);
    if (endsWith(unit, ".service")) return appUnitIds(unit.substr(0, unit.size() - 8), true);
    return {};
}

std::vector<std::string> applicationIdsOfCgroup(std::string_view cgroupText) {
    const std::optional<std::string> unit = innermostUnit(cgroupText);
    if (!unit) return {};
    return applicationIds(*unit);
}

} // namespace quorvel::platform::CgroupUnitName
