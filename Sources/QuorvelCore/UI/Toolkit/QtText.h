#pragma once

#include <QString>

#include <string>

namespace quorvel {

// The localiser and the formatter write UTF-8; Qt draws QString.
inline QString qtText(const std::string &utf8) {
    return QString::fromStdString(utf8);
}

} // namespace quorvel
