#include "Util/LprojBundle.h"

#include <system_error>

#include "Util/Notices.h"

namespace quorvel {

std::optional<LprojBundle> LprojBundle::open(const std::filesystem::path &directory) {
    std::error_code error;
    if (!std::filesystem::is_directory(directory, error)) return std::nullopt;
    const std::filesystem::path file = directory / kTableFileName;
    StringTable::Reading reading = StringTable::load(file);
    if (!reading.problem.empty()) {
        noteOnce("string table " + file.string() + " " + reading.problem);
    }
    return LprojBundle(directory, std::make_shared<const StringTable>(std::move(reading.table)));
}

} // namespace quorvel
