#pragma once

#include <QObject>

class QSocketNotifier;

namespace quorvel::platform {

// Turns SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2 and SIGALRM into an orderly
// quit of the event loop, and keeps SIGPIPE from ending the run: the signal
// handler only writes to a pipe, the loop does the rest.
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
