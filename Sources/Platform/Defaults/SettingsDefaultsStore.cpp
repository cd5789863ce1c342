#include "Defaults/SettingsDefaultsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QTemporaryFile>
#include <QVariant>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace quorvel::platform {
namespace {

QString keyText(std::string_view key) {
    return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

QVariant variantOf(const DefaultsValue &value) {
    if (const bool *flag = std::get_if<bool>(&value)) return *flag;
    const std::string &bytes = std::get<std::string>(value);
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string bytesOf(const QByteArray &bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::optional<bool> boolIn(const QSettings &settings, std::string_view key) {
    const QVariant value = settings.value(keyText(key));
    if (value.typeId() == QMetaType::Bool) return value.toBool();
    // The file holds text; only what a stored bool reads as counts.
    if (value.typeId() != QMetaType::QString) return std::nullopt;
    const QString text = value.toString().trimmed();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
    return std::nullopt;
}

std::optional<std::string> dataIn(const QSettings &settings, std::string_view key) {
    const QVariant value = settings.value(keyText(key));
    switch (value.typeId()) {
    case QMetaType::QByteArray: return bytesOf(value.toByteArray());
    // Values written by hand read as text, or as a list where they hold commas.
    case QMetaType::QString: return bytesOf(value.toString().toUtf8());
    case QMetaType::QStringList:
        return bytesOf(value.toStringList().join(QStringLiteral(", ")).toUtf8());
    default: return std::nullopt;
    }
}

bool holds(const QSettings &settings, const DefaultsEntry &entry) {
    if (const bool *flag = std::get_if<bool>(&entry.value))
        return boolIn(settings, entry.key) == *flag;
    return dataIn(settings, entry.key) == std::get<std::string>(entry.value);
}

// Whether the file on disk, read afresh, holds `keyCount` keys and every
// entry. QSettings reports a write cut short by a full disk as a success and
// keeps answering from what it meant to write, so the bytes are read back
// through a copy it has never seen.
bool fileHolds(const QString &file, const std::vector<DefaultsEntry> &entries, qsizetype keyCount) {
    QFile written(file);
    if (!written.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = written.readAll();
    QTemporaryFile copy;
    if (!copy.open() || copy.write(bytes) != bytes.size() || !copy.flush()) return false;
    const QSettings reread(copy.fileName(), QSettings::IniFormat);
    if (reread.status() != QSettings::NoError || reread.allKeys().size() != keyCount) return false;
    return std::ranges::all_of(entries,
                               [&](const DefaultsEntry &entry) { return holds(reread, entry); });
}

// QSettings readers in this process trust what they read last while the
// file keeps its size and time of change (to the millisecond); a new file
// that matches both is moved on by a millisecond so they read it again.
void keepChangeVisible(const QString &file, qint64 previousSize, const QDateTime &previousChange) {
    QFile written(file);
    if (written.size() != previousSize ||
        written.fileTime(QFileDevice::FileModificationTime) != previousChange)
        return;
    if (written.open(QIODevice::ReadWrite))
        written.setFileTime(previousChange.addMSecs(1), QFileDevice::FileModificationTime);
}

} // namespace

QString SettingsDefaultsStore::userFile() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quorvel"),
                     QStringLiteral("Quorvel"))
        .fileName();
}

SettingsDefaultsStore::SettingsDefaultsStore(QString file)
    : file_(std::move(file)) {}

bool SettingsDefaultsStore::contains(std::string_view key) const {
    return QSettings(file_, QSettings::IniFormat).contains(keyText(key));
}

std::optional<bool> SettingsDefaultsStore::boolValue(std::string_view key) const {
    return boolIn(QSettings(file_, QSettings::IniFormat), key);
}

std::optional<std::string> SettingsDefaultsStore::dataValue(std::string_view key) const {
    return dataIn(QSettings(file_, QSettings::IniFormat), key);
}

bool SettingsDefaultsStore::write(const std::vector<DefaultsEntry> &entries) {
    // The new file is made complete under a name of its own and checked, then
    // renamed over the old one in a single step. QSettings never writes
    // `file_` itself, so it keeps no unwritten values for it either.
    const QFileInfo target(file_);
    if (!QDir().mkpath(target.absolutePath())) return false;
    QTemporaryFile scratch(file_ + QStringLiteral(".XXXXXX"));
    if (!scratch.open()) return false;
    scratch.close();
    qsizetype keyCount = 0;
    {
        const QSettings current(file_, QSettings::IniFormat);
        QSettings next(scratch.fileName(), QSettings::IniFormat);
        next.setAtomicSyncRequired(true);
        for (const QString &key : current.allKeys()) next.setValue(key, current.value(key));
        for (const DefaultsEntry &entry : entries)
            next.setValue(keyText(entry.key), variantOf(entry.value));
        next.sync();
        if (next.status() != QSettings::NoError) return false;
        keyCount = next.allKeys().size();
    }
    if (!fileHolds(scratch.fileName(), entries, keyCount)) return false;
    const QDateTime previousChange = target.lastModified();
    const qint64 previousSize = target.size();
    if (::rename(QFile::encodeName(scratch.fileName()).constData(),
                 QFile::encodeName(file_).constData()) != 0)
        return false;
    keepChangeVisible(file_, previousSize, previousChange);
    return true;
}

} // namespace quorvel::platform
