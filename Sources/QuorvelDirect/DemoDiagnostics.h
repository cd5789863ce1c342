#pragma once

#include <QRect>
#include <QString>

#include <string>

namespace quorvel::DemoDiagnostics {

// Where screenshot tooling finds the status item's geometry in a demo run.
inline constexpr char kDefaultFile[] = "/tmp/quorvel-statusitem.txt";

// Two lines: the icon's frame in screen coordinates as "x y width height",
// each number in its shortest exact decimal form ("1512.0"), then the status
// item's own diagnostics line.
std::string text(const QRect &frame, const QString &diagnostics);

// Replaces `file` whole, atomically, with `text`, where `file` is absent or
// this user's own regular file; a link, or anything else, is left alone. A
// failed write is left for the next one to retry.
void write(const QString &file, const std::string &text);

} // namespace quorvel::DemoDiagnostics
