#include "Pressure/PsiPressureEventSource.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "sysmem.h"

namespace quorvel::platform {
namespace {

// Wake when tasks stall on memory for 150 ms within a 2 s window; 2 s is the
// smallest window the kernel lets unprivileged users arm.
constexpr char kTrigger[] = "some 150000 2000000";

PressureEvents eventFor(int32_t level) {
    switch (level) {
    case 4: return pressureEventCritical;
    case 2: return pressureEventWarning;
    default: return pressureEventNormal;
    }
}

} // namespace

PsiPressureEventSource::PsiPressureEventSource(LevelReader readLevel, QString psiPath,
                                               std::chrono::milliseconds recheckInterval)
    : readLevel_(std::move(readLevel))
    , psiPath_(std::move(psiPath))
    , recheckInterval_(recheckInterval) {}

PsiPressureEventSource::~PsiPressureEventSource() {
    cancel();
}

PsiPressureEventSource::LevelReader PsiPressureEventSource::defaultLevelReader() {
    return [] { return qv_pressure_level(); };
}

void PsiPressureEventSource::start(Handler handler) {
    handler_ = std::move(handler);
    lastLevel_ = 1;
    armTrigger();
    recheckTimer_ = new QTimer(this);
    recheckTimer_->setTimerType(Qt::PreciseTimer);
    recheckTimer_->setInterval(recheckInterval_);
    connect(recheckTimer_, &QTimer::timeout, this, &PsiPressureEventSource::recheck);
    recheckTimer_->start();
}

void PsiPressureEventSource::cancel() {
    handler_ = nullptr;
    delete recheckTimer_;
    recheckTimer_ = nullptr;
    disarmTrigger();
}

void PsiPressureEventSource::armTrigger() {
    const QByteArray path = psiPath_.toLocal8Bit();
    int fd = ::open(path.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    // The kernel wants the terminating NUL as part of the trigger.
    if (::write(fd, kTrigger, sizeof kTrigger) < 0) {
        ::close(fd);
        return;
    }
    triggerFd_ = fd;
    triggerNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Exception, this);
    connect(triggerNotifier_, &QSocketNotifier::activated, this, &PsiPressureEventSource::recheck);
}

void PsiPressureEventSource::disarmTrigger() {
    delete triggerNotifier_;
    triggerNotifier_ = nullptr;
    if (triggerFd_ >= 0) ::close(triggerFd_);
    triggerFd_ = -1;
}

void PsiPressureEventSource::recheck() {
    const int32_t level = readLevel_();
    if (level != 1 && level != 2 && level != 4) return;
    if (level == lastLevel_) return;
    lastLevel_ = level;
    if (handler_) handler_(eventFor(level));
}

} // namespace quorvel::platform
