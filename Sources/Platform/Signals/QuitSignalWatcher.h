#pragma once

#include <QObject>

class QSocketNotifier;

namespace quorvel::platform {

// Turns SIGINT, SIGTERM and SIGHUP into an orderly quit of the event loop:
// the signal handler only writes to a pipe, the loop does the rest.
class QuitSignalWatcher final : public QObject {
    Q_OBJECT
public:
    explicit QuitSignalWatcher(QObject *parent = nullptr);
    ~QuitSignalWatcher() override;

signals:
    void quitRequested(int signalNumber);

private:
    QSocketNotifier *notifier_ = nullptr;
};

} // namespace quorvel::platform
