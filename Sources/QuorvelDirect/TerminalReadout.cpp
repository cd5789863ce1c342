#include "TerminalReadout.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "Util/DisplayWidth.h"
#include "Util/Format.h"
#include "Util/L10n.h"
#include "Util/Utf8.h"

namespace quorvel {
namespace {

constexpr std::size_t kRows = 10;
constexpr std::size_t kNameColumns = 28;

std::string padRight(const std::string &text, std::size_t columns) {
    const std::size_t width = displayWidth(text);
    return text + std::string(columns > width ? columns - width : 0, ' ');
}

std::string padLeft(const std::string &text, std::size_t columns) {
    const std::size_t width = displayWidth(text);
    return std::string(columns > width ? columns - width : 0, ' ') + text;
}

// A name as text the terminal shows rather than obeys: an escape sequence in
// a process name would clear the screen or retitle the window, a line feed
// would split its row. C0 controls and DEL become their control pictures
// (U+2400 to U+241F, U+2421), C1 controls U+FFFD.
std::string visible(std::string_view name) {
    const std::string text = utf8WithReplacements(name);
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20) {
            result.append("\xE2\x90").push_back(static_cast<char>(0x80 + byte));
        } else if (byte == 0x7F) {
            result.append("\xE2\x90\xA1");
        } else if (byte == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            // Valid UTF-8, so the next byte continues this character: U+0080 to U+009F.
            result.append("\xEF\xBF\xBD");
            ++i;
        } else {
            result.push_back(text[i]);
        }
    }
    return result;
}

std::string shownName(const AppGroup &group) {
    return fitToColumns(visible(group.displayName), kNameColumns);
}

// Built by appending: GCC 12 warns falsely on chains of string additions.
std::string coloured(const std::string &text, PressureLevel level, bool colour) {
    if (!colour) return text;
    std::string result = level == PressureLevel::critical  ? "\x1b[1;31m"
                         : level == PressureLevel::warning ? "\x1b[1;33m"
                                                           : "\x1b[1;32m";
    result.append(text).append("\x1b[0m");
    return result;
}

std::string header(const PressureSnapshot &pressure, bool colour) {
    std::string text = L10n::t("header.title");
    text.append("  ").append(coloured(word(pressure.level), pressure.level, colour)).append("\n");
    if (!pressure.vm) return text;
    const VMSnapshot &vm = *pressure.vm;
    text.append(L10n::t("header.stat.physical")).append(" ").append(Format::bytes(vm.totalBytes));
    text.append("   ").append(L10n::t("header.stat.compressed")).append(" ");
    text.append(Format::bytes(vm.compressedBytes()));
    text.append("   ").append(L10n::t("header.stat.swap")).append(" ");
    text.append(Format::bytes(vm.swapUsed)).append("\n");
    return text;
}

std::string row(const AppGroup &group, std::size_t nameColumns, std::size_t currentColumns) {
    const auto processes = static_cast<int64_t>(group.processes.size());
    std::string line = padRight(shownName(group), nameColumns);
    line.append("  ").append(padLeft(Format::bytes(group.current), currentColumns)).append("  ");
    line.append(L10n::plural("pro.list.procsPeak", processes, Format::bytes(group.peak)));
    if (group.hogLabel) line.append("  ").append(*group.hogLabel);
    if (group.isStopped) line.append("  ").append(L10n::t("pro.badge.frozen"));
    line.append("\n");
    return line;
}

} // namespace

std::string terminalReadout(const MemoryReading &reading, bool colour) {
    std::string text = header(reading.pressure, colour);
    const std::size_t shown = std::min(kRows, reading.groups.size());
    if (shown == 0) return text;

    std::size_t nameColumns = 0;
    std::size_t currentColumns = 0;
    for (std::size_t i = 0; i < shown; ++i) {
        const AppGroup &group = reading.groups[i];
        nameColumns = std::max(nameColumns, displayWidth(shownName(group)));
        currentColumns = std::max(currentColumns, displayWidth(Format::bytes(group.current)));
    }
    text.append("\n").append(L10n::t("pro.list.heading")).append("\n");
    for (std::size_t i = 0; i < shown; ++i)
        text += row(reading.groups[i], nameColumns, currentColumns);
    return text;
}

} // namespace quorvel
