#include "Util/IconProvider.h"

#include <QFileInfo>

#include <filesystem>
#include <unordered_map>

#include "Apps/DesktopEntryFile.h"
#include "UI/Theme.h"
#include "Util/SymbolImage.h"

namespace quorvel::IconProvider {
namespace {

QIcon symbolIcon(std::string_view symbol) {
    QIcon icon;
    for (int size : {kSize, 2 * kSize, 32}) {
        icon.addPixmap(SymbolImage::pixmap(symbol, size, Theme::inkDim()));
    }
    return icon;
}

QIcon genericApplicationIcon() {
    static const QIcon generic = [] {
        QIcon themed = QIcon::fromTheme(QStringLiteral("application-x-executable"));
        return themed.isNull() ? symbolIcon("gearshape.2") : themed;
    }();
    return generic;
}

// The Icon key of the desktop entry at `appPath`; empty without one.
QString iconName(const std::string &appPath) {
    const std::string id = std::filesystem::path(appPath).stem().string();
    const platform::DesktopEntryFile file = platform::DesktopEntryFile::read(appPath, id);
    return file.entry ? QString::fromStdString(file.entry->application.icon) : QString();
}

QIcon lookUp(const std::string &appPath) {
    const QString name = iconName(appPath);
    if (name.isEmpty()) return genericApplicationIcon();
    if (QFileInfo(name).isAbsolute()) {
        return QFileInfo::exists(name) ? QIcon(name) : genericApplicationIcon();
    }
    QIcon themed = QIcon::fromTheme(name);
    return themed.isNull() ? genericApplicationIcon() : themed;
}

} // namespace

QIcon icon(const std::optional<std::string> &appPath) {
    if (!appPath) return symbolIcon("gearshape.2");
    static std::unordered_map<std::string, QIcon> cache;
    auto found = cache.find(*appPath);
    if (found == cache.end()) found = cache.emplace(*appPath, lookUp(*appPath)).first;
    return found->second;
}

} // namespace quorvel::IconProvider
