#include "JsonReadout.h"

#include <nlohmann/json.hpp>

#include "Util/Utf8.h"

namespace quorvel {
namespace {

using nlohmann::json;

std::string text(const std::string &bytes) {
    return utf8WithReplacements(bytes);
}

std::string levelName(PressureLevel level) {
    switch (level) {
    case PressureLevel::normal: return "normal";
    case PressureLevel::warning: return "warning";
    case PressureLevel::critical: return "critical";
    }
    return "normal";
}

json vmDocument(const VMSnapshot &vm) {
    return {
        {"pageSize", vm.pageSize},
        {"totalBytes", vm.totalBytes},
        {"freePages", vm.freePages},
        {"activePages", vm.activePages},
        {"inactivePages", vm.inactivePages},
        {"speculativePages", vm.speculativePages},
        {"wiredPages", vm.wiredPages},
        {"compressedPages", vm.compressedPages},
        {"purgeablePages", vm.purgeablePages},
        {"externalPages", vm.externalPages},
        {"swapTotal", vm.swapTotal},
        {"swapUsed", vm.swapUsed},
        {"freeBytes", vm.freeBytes()},
        {"activeBytes", vm.activeBytes()},
        {"wiredBytes", vm.wiredBytes()},
        {"compressedBytes", vm.compressedBytes()},
        {"availableBytes", vm.availableBytes()},
        {"cachedBytes", vm.cachedBytes()},
        {"usedBytes", vm.usedBytes()},
        {"appsSystemBytes", vm.appsSystemBytes()},
        {"freeForAppsBytes", vm.freeForAppsBytes()},
        {"usedFraction", vm.usedFraction()},
        {"appsSystemFraction", vm.appsSystemFraction()},
    };
}

json processDocument(const RawProcess &process) {
    return {{"pid", process.pid},
            {"ppid", process.ppid},
            {"uid", process.uid},
            {"status", process.status},
            {"footprint", process.footprint},
            {"name", text(process.name)},
            {"path", process.path.empty() ? json(nullptr) : json(text(process.path))}};
}

json groupDocument(const AppGroup &group) {
    json processes = json::array();
    for (const RawProcess &process : group.processes) processes.push_back(processDocument(process));
    const auto optionalText = [](const std::optional<std::string> &value) {
        return value ? json(text(*value)) : json(nullptr);
    };
    return {{"key", text(group.key)},
            {"displayName", text(group.displayName)},
            {"appPath", optionalText(group.appPath)},
            {"bundleID", optionalText(group.bundleID)},
            {"current", group.current},
            {"peak", group.peak},
            {"isKnownHog", group.isKnownHog},
            {"hogLabel", optionalText(group.hogLabel)},
            {"isStopped", group.isStopped},
            {"processes", processes}};
}

} // namespace

std::string jsonReadout(const MemoryReading &reading) {
    json groups = json::array();
    for (const AppGroup &group : reading.groups) groups.push_back(groupDocument(group));
    const json document = {
        {"time", reading.takenAt.toString(Qt::ISODateWithMs).toStdString()},
        {"pressure",
         {{"level", levelName(reading.pressure.level)},
          {"vm", reading.pressure.vm ? vmDocument(*reading.pressure.vm) : json(nullptr)}}},
        {"groups", groups}};
    return document.dump(2) + "\n";
}

} // namespace quorvel
