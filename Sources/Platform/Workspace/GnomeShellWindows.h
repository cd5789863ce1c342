#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

#include "Workspace/SessionWindows.h"

class QDBusServiceWatcher;

namespace quorvel::platform {

// The windows of a GNOME Shell session, through the Shell extension Quorvel
// ships ("quorvel@quorvel.io"): the Shell offers no window information to
// other programs, so the extension answers on the session bus as
// "io.quorvel.Shell". Without the extension (or the Shell) there are no
// windows and nothing is active. Every call waits at most about 500 ms.
class GnomeShellWindows final : public QObject, public SessionWindows {
    Q_OBJECT
public:
    // `bus` is the session bus the Shell runs on.
    explicit GnomeShellWindows(QDBusConnection bus);
    ~GnomeShellWindows() override;

    void followActivation() override;
    bool isAvailable() override;
    std::optional<WindowOwner> frontWindow() override;
    std::size_t countWindows(const InstanceWindows &instance) override;
    std::size_t closeWindows(const InstanceWindows &instance) override;

private slots:
    void onFocusChanged(const QDBusMessage &message);
    void onOwnerChanged(const QString &name, const QString &oldOwner, const QString &newOwner);

private:
    // Calls `method` on the extension; an error message when it did not
    // answer in time or at all.
    QDBusMessage ask(const QString &method, const QVariantList &arguments,
                     const QDeadlineTimer &deadline);
    // Asks which window has focus and notes it.
    void askFocus(const QDeadlineTimer &deadline);
    // Every normal window; nothing when the extension did not answer well.
    std::optional<std::vector<WindowOwner>> listWindows(const QDeadlineTimer &deadline);
    // Keeps `owner` as the front window unless it is none or Quorvel's own.
    void noteFocus(const std::optional<WindowOwner> &owner);

    QDBusConnection bus_;
    bool following_ = false;
    QDBusServiceWatcher *watcher_ = nullptr;
    // Whose focus signals count: the current owner of the extension's name.
    QString owner_;
    std::optional<WindowOwner> front_;
};

} // namespace quorvel::platform
