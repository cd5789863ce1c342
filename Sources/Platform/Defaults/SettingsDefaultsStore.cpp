#include "Defaults/SettingsDefaultsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
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

// Whether the file on disk, read afresh, holds exactly the keys of `carried`
// and `entries` with their values: a copy cut short by a full disk loses the
// end of whichever value came last, which may be one carried over. QSettings
// reports such a write as a success and keeps answering from what it meant
// to write, so the bytes are read back through a copy it has never seen.
bool fileHolds(const QString &file, const QMap<QString, QVariant> &carried,
               const std::vector<DefaultsEntry> &entries) {
    QFile written(file);
    if (!written.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = written.readAll();
    QTemporaryFile copy;
    if (!copy.open() || copy.write(bytes) != bytes.size() || !copy.flush()) return false;
    const QSettings reread(copy.fileName(), QSettings::IniFormat);
    if (reread.status() != QSettings::NoError) return false;
    QStringList expectedKeys = carried.keys();
    for (const DefaultsEntry &entry : entries) expectedKeys.append(keyText(entry.key));
    expectedKeys.removeDuplicates();
    QStringList keys = reread.allKeys();
    expectedKeys.sort();
    keys.sort();
    if (keys != expectedKeys) return false;
    for (auto value = carried.begin(); value != carried.end(); ++value) {
        if (reread.value(value.key()) != value.value()) return false;
    }
    return std::ranges::all_of(entries,
                               [&](const DefaultsEntry &entry) { return holds(reread, entry); });
}

// The file a save replaces: where `file` leads through symbolic links, so a
// link (a dotfiles manager's, say) stays a link and its target gets the new
// copy. A loop of links is left to fail at the rename.
QString linkTarget(const QString &file) {
    QString path = file;
    for (int hop = 0; hop < 40; ++hop) {
        const QFileInfo info(path);
        if (!info.isSymLink()) break;
        path = info.symLinkTarget();
    }
    return path;
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

std::string SettingsDefaultsStore::location() const {
    return file_.toStdString();
}

bool SettingsDefaultsStore::write(const std::vector<DefaultsEntry> &entries) {
    // The new file is made complete under a name of its own and checked, then
    // renamed over the old one in a single step. QSettings never writes
    // `target` itself, so it keeps no unwritten values for it either.
    const QString target = linkTarget(file_);
    const QFileInfo targetInfo(target);
    if (!QDir().mkpath(targetInfo.absolutePath())) return false;
    QTemporaryFile scratch(target + QStringLiteral(".XXXXXX"));
    if (!scratch.open()) return false;
    // The copy keeps the mode the user gave the file.
    if (targetInfo.exists()) scratch.setPermissions(QFile::permissions(target));
    scratch.close();
    QMap<QString, QVariant> carried;
    {
        const QSettings current(target, QSettings::IniFormat);
        QSettings next(scratch.fileName(), QSettings::IniFormat);
        next.setAtomicSyncRequired(true);
        for (const QString &key : current.allKeys()) {
            carried.insert(key, current.value(key));
            next.setValue(key, current.value(key));
        }
        for (const DefaultsEntry &entry : entries) {
            carried.remove(keyText(entry.key));
            next.setValue(keyText(entry.key), variantOf(entry.value));
        }
        next.sync();
        if (next.status() != QSettings::NoError) return false;
    }
    if (!fileHolds(scratch.fileName(), carried, entries)) return false;
    const QDateTime previousChange = targetInfo.lastModified();
    const qint64 previousSize = targetInfo.size();
    if (::rename(QFile::encodeName(scratch.fileName()).constData(),
                 QFile::encodeName(target).constData()) != 0)
        return false;
    keepChangeVisible(target, previousSize, previousChange);
    return true;
}

} // namespace quorvel::platform
