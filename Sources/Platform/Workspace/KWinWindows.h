#pragma once

#include "Workspace/SessionWindows.h"

#include <QDBusConnection>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QDBusMessage;
class QDeadlineTimer;
class QEventLoop;
class QDBusServiceWatcher;
class QTemporaryDir;

namespace quorvel::platform {

// The windows of a KDE Plasma (KWin) session. KWin offers no window list or
// activation events on the bus, so a small script loaded into KWin reports
// them to this object; only calls from the current owner of "org.kde.KWin"
// are believed. Loads the script on first use and again after KWin restarts.
class KWinWindows final : public SessionWindows {
public:
    // `bus` is the session bus KWin is on.
    explicit KWinWindows(QDBusConnection bus);
    ~KWinWindows() override;
    KWinWindows(const KWinWindows &) = delete;
    KWinWindows &operator=(const KWinWindows &) = delete;

    void followActivation() override;
    bool isAvailable() override;
    std::optional<WindowOwner> frontWindow() override;
    std::size_t countWindows(const InstanceWindows &instance) override;
    std::size_t closeWindows(const InstanceWindows &instance) override;

private:
    struct Window {
        QString id;
        int32_t pid = 0;
        std::string applicationID;
    };
    class Receiver;

    bool connectToKWin(const QDeadlineTimer &deadline, bool waitForReport);
    void forget();
    bool loadScript(const QString &pluginName, const QByteArray &text,
                    const QDeadlineTimer &deadline);
    void unloadScript(const QString &pluginName, const QDeadlineTimer &deadline);
    // One report of the script, as the bus object received it.
    bool handleReport(const QDBusMessage &message);
    std::vector<const Window *> windowsOf(const InstanceWindows &instance) const;

    QDBusConnection bus_;
    std::unique_ptr<Receiver> receiver_;
    std::unique_ptr<QDBusServiceWatcher> watcher_;
    std::unique_ptr<QTemporaryDir> scriptDir_;
    QString owner_; // KWin's unique name on the bus while our script is in it
    bool loaded_ = false;
    bool reported_ = false;
    int oneShots_ = 0;
    QEventLoop *waiting_ = nullptr; // while the first report is awaited
    std::vector<Window> windows_;
    std::optional<Window> front_;
};

} // namespace quorvel::platform
