#pragma once

#include "Workspace/SessionWindows.h"

#include <QByteArray>
#include <QJsonDocument>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QJsonObject;
class QSocketNotifier;

namespace quorvel::platform {

// The windows of a sway session, through sway's IPC socket: one connection
// for requests, each answered within a deadline, and one subscribed to window
// events while activation is followed. Reconnects on a later call after the
// socket broke; with no compositor there are no windows and nothing in front.
class SwayWindows : public SessionWindows {
public:
    // `socketPath` as in $SWAYSOCK.
    explicit SwayWindows(std::string socketPath);
    ~SwayWindows() override;
    SwayWindows(const SwayWindows &) = delete;
    SwayWindows &operator=(const SwayWindows &) = delete;

    void followActivation() override;
    bool isAvailable() override;
    std::optional<WindowOwner> frontWindow() override;
    std::size_t countWindows(const InstanceWindows &instance) override;
    std::size_t closeWindows(const InstanceWindows &instance) override;

private:
    using Clock = std::chrono::steady_clock;

    struct Window {
        int64_t id = 0; // sway's container id
        WindowOwner owner;
        bool focused = false;
    };

    static std::optional<Window> windowFrom(const QJsonObject &node);
    static void collect(const QJsonObject &node, int depth, std::vector<Window> &into);

    std::optional<QJsonDocument> request(uint32_t type, const QByteArray &payload,
                                         Clock::time_point deadline);
    std::optional<std::vector<Window>> windows(Clock::time_point deadline);
    std::vector<Window> windowsOf(const InstanceWindows &instance, Clock::time_point deadline);
    // Subscribes to window events and takes the current focus; false when
    // the compositor does not answer.
    bool listen(Clock::time_point deadline);
    void readEvents();
    bool takeBytes(const char *bytes, std::size_t size);
    void takeEvent(const QByteArray &body);
    void noteFocus(const Window &window);
    void dropRequests();
    void dropEvents();

    std::string socketPath_;
    int requests_ = -1;
    int events_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QByteArray pending_; // event bytes not yet forming a whole message
    bool following_ = false;
    std::optional<Window> front_;
};

} // namespace quorvel::platform
