#include "Workspace/SessionWindows.h"

#include <QString>

namespace quorvel::platform {

bool namesApplication(const std::string &appId, const std::string &applicationID) {
    std::string_view id = applicationID;
    if (id.ends_with(".desktop")) id.remove_suffix(std::string_view(".desktop").size());
    std::string_view name = appId;
    if (name.ends_with(".desktop")) name.remove_suffix(std::string_view(".desktop").size());
    if (id.empty() || name.empty()) return false;
    if (name == id) return true;
    const std::string_view last = id.substr(id.find_last_of('.') + 1);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))
               .compare(QString::fromUtf8(last.data(), static_cast<qsizetype>(last.size())),
                        Qt::CaseInsensitive) == 0;
}

} // namespace quorvel::platform
