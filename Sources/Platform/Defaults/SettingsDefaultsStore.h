#pragma once

#include <QString>

#include "Defaults/DefaultsStore.h"

namespace quorvel::platform {

// Defaults in a QSettings file. A write replaces the whole file at once
// with a new copy that has been read back whole, so a crash or a full disk
// leave the previous file as it was. Other keys in the file are kept. Where
// the file is a symbolic link, the link stays and its target is replaced.
class SettingsDefaultsStore final : public DefaultsStore {
public:
    // The user's file: organisation and application "Quorvel" in the native
    // format, "Quorvel/Quorvel.conf" in the XDG configuration directory.
    static QString userFile();

    explicit SettingsDefaultsStore(QString file);

    const QString &file() const { return file_; }

    bool contains(std::string_view key) const override;
    std::optional<bool> boolValue(std::string_view key) const override;
    std::optional<std::string> dataValue(std::string_view key) const override;
    bool write(const std::vector<DefaultsEntry> &entries) override;
    std::string location() const override;

private:
    QString file_;
};

} // namespace quorvel::platform
