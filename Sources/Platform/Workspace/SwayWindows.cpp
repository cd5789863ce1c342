#include "Workspace/SwayWindows.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace quorvel::platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kReplyTimeout = std::chrono::milliseconds(500);
constexpr char kMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr std::size_t kHeaderSize = sizeof(kMagic) + 2 * sizeof(uint32_t);
// Far above any real tree; a larger claim means the stream is not sway's.
constexpr uint32_t kMaxBody = 16u << 20;
constexpr uint32_t kRunCommand = 0, kSubscribe = 2, kGetTree = 4, kGetVersion = 7;
constexpr uint32_t kWindowEvent = 0x80000003;
constexpr int kMaxDepth = 64;
constexpr int kMaxAppIdLength = 1024;

int connectTo(const std::string &path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path)) return -1;
    std::memcpy(address.sun_path, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    // A Unix socket connects at once or not at all (a full backlog counts as
    // a compositor that does not answer).
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool awaitReady(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd ready{fd, events, 0};
        const int result = ::poll(&ready, 1, static_cast<int>(left.count()));
        if (result > 0) return true;
        if (result < 0 && errno != EINTR) return false;
    }
}

bool writeAll(int fd, const QByteArray &data, Clock::time_point deadline) {
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t sent = ::send(fd, data.constData() + done, data.size() - done, MSG_NOSIGNAL);
        if (sent > 0) {
            done += sent;
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!awaitReady(fd, POLLOUT, deadline)) return false;
        } else {
            return false;
        }
    }
    return true;
}

bool readExact(int fd, char *into, std::size_t size, Clock::time_point deadline) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::recv(fd, into + done, size - done, 0);
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!awaitReady(fd, POLLIN, deadline)) return false;
        } else {
            return false; // closed, or failed
        }
    }
    return true;
}

QByteArray message(uint32_t type, const QByteArray &payload) {
    const auto length = static_cast<uint32_t>(payload.size());
    QByteArray bytes(kMagic, sizeof(kMagic));
    bytes.append(reinterpret_cast<const char *>(&length), sizeof(length));
    bytes.append(reinterpret_cast<const char *>(&type), sizeof(type));
    return bytes + payload;
}

struct Header {
    uint32_t length = 0;
    uint32_t type = 0;
};

std::optional<Header> parseHeader(const char *bytes) {
    if (std::memcmp(bytes, kMagic, sizeof(kMagic)) != 0) return std::nullopt;
    Header header;
    std::memcpy(&header.length, bytes + sizeof(kMagic), sizeof(uint32_t));
    std::memcpy(&header.type, bytes + sizeof(kMagic) + sizeof(uint32_t), sizeof(uint32_t));
    if (header.length > kMaxBody) return std::nullopt;
    return header;
}

// The next whole message on `fd` as a JSON document, when it is of `type`
// and comes by `deadline`.
std::optional<QJsonDocument> readReply(int fd, uint32_t type, Clock::time_point deadline) {
    char bytes[kHeaderSize];
    if (!readExact(fd, bytes, sizeof(bytes), deadline)) return std::nullopt;
    const auto header = parseHeader(bytes);
    if (!header || header->type != type) return std::nullopt;
    QByteArray body(static_cast<qsizetype>(header->length), Qt::Uninitialized);
    if (!readExact(fd, body.data(), header->length, deadline)) return std::nullopt;
    QJsonParseError error{};
    QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError) return std::nullopt;
    return document;
}

// A whole number in [1, max], as JSON carries it (a double).
std::optional<int64_t> positive(const QJsonValue &value, double max) {
    const double number = value.toDouble(0);
    if (!value.isDouble() || number < 1 || number > max || std::floor(number) != number) {
        return std::nullopt;
    }
    return static_cast<int64_t>(number);
}

std::optional<int64_t> containerId(const QJsonObject &node) {
    return positive(node.value(QStringLiteral("id")), 9007199254740991.0); // 2^53 - 1
}

} // namespace

SwayWindows::SwayWindows(std::string socketPath)
    : socketPath_(std::move(socketPath)) {}

SwayWindows::~SwayWindows() {
    notifier_.reset(); // before its socket closes
    if (events_ >= 0) ::close(events_);
    if (requests_ >= 0) ::close(requests_);
}

void SwayWindows::followActivation() {
    if (following_) return;
    following_ = true;
    listen(Clock::now() + kReplyTimeout);
}

bool SwayWindows::isAvailable() {
    const auto deadline = Clock::now() + kReplyTimeout;
    const bool answers = request(kGetVersion, {}, deadline).has_value() &&
                         (!following_ || events_ >= 0 || listen(deadline));
    if (!answers) {
        dropEvents();
        front_.reset();
    }
    return answers;
}

std::optional<WindowOwner> SwayWindows::frontWindow() {
    const auto deadline = Clock::now() + kReplyTimeout;
    if (following_) {
        if (events_ < 0 && !listen(deadline)) return std::nullopt;
    } else {
        // Without events, the tree at each call is all there is to go by.
        const auto all = windows(deadline);
        if (!all) {
            front_.reset();
            return std::nullopt;
        }
        for (const Window &window : *all) {
            if (window.focused) noteFocus(window);
        }
        const bool frontOpen = std::any_of(all->begin(), all->end(), [this](const Window &window) {
            return front_ && window.id == front_->id;
        });
        if (!frontOpen) front_.reset();
    }
    if (!front_) return std::nullopt;
    return front_->owner;
}

std::size_t SwayWindows::countWindows(const InstanceWindows &instance) {
    return windowsOf(instance, Clock::now() + kReplyTimeout).size();
}

std::size_t SwayWindows::closeWindows(const InstanceWindows &instance) {
    const auto deadline = Clock::now() + kReplyTimeout;
    std::size_t asked = 0;
    for (const Window &window : windowsOf(instance, deadline)) {
        // sway's kill asks the client to close the window; it sends no signal.
        const auto reply =
            request(kRunCommand, "[con_id=" + QByteArray::number(window.id) + "] kill", deadline);
        if (reply && reply->isArray() &&
            reply->array().at(0).toObject().value(QStringLiteral("success")).toBool()) {
            ++asked;
        }
    }
    return asked;
}

std::optional<QJsonDocument> SwayWindows::request(uint32_t type, const QByteArray &payload,
                                                  Clock::time_point deadline) {
    if (requests_ < 0) requests_ = connectTo(socketPath_);
    if (requests_ < 0) return std::nullopt;
    if (writeAll(requests_, message(type, payload), deadline)) {
        if (auto reply = readReply(requests_, type, deadline)) return reply;
    }
    // Whatever went wrong, the stream can no longer be trusted to be in step.
    dropRequests();
    return std::nullopt;
}

void SwayWindows::collect(const QJsonObject &node, int depth, std::vector<Window> &into) {
    if (depth > kMaxDepth) return;
    if (auto window = windowFrom(node)) into.push_back(std::move(*window));
    for (const QString &key : {QStringLiteral("nodes"), QStringLiteral("floating_nodes")}) {
        for (const QJsonValue child : node.value(key).toArray()) {
            if (child.isObject()) collect(child.toObject(), depth + 1, into);
        }
    }
}

std::optional<std::vector<SwayWindows::Window>> SwayWindows::windows(Clock::time_point deadline) {
    const auto tree = request(kGetTree, {}, deadline);
    if (!tree) return std::nullopt;
    std::vector<Window> found;
    collect(tree->object(), 0, found);
    return found;
}

std::vector<SwayWindows::Window> SwayWindows::windowsOf(const InstanceWindows &instance,
                                                        Clock::time_point deadline) {
    std::vector<Window> matching;
    if (instance.pids.empty()) return matching;
    for (Window &window : windows(deadline).value_or(std::vector<Window>{})) {
        if (std::find(instance.pids.begin(), instance.pids.end(), *window.owner.pid) !=
            instance.pids.end()) {
            matching.push_back(std::move(window));
        }
    }
    return matching;
}

bool SwayWindows::listen(Clock::time_point deadline) {
    dropEvents();
    events_ = connectTo(socketPath_);
    if (events_ < 0) return false;
    // No event comes before the reply to the subscription, so it can be
    // waited for here; the events are read as they come from then on.
    std::optional<QJsonDocument> reply;
    if (!writeAll(events_, message(kSubscribe, R"(["window"])"), deadline) ||
        !(reply = readReply(events_, kSubscribe, deadline)) ||
        !reply->object().value(QStringLiteral("success")).toBool()) {
        dropEvents();
        return false;
    }
    notifier_ = std::make_unique<QSocketNotifier>(events_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { readEvents(); });
    // Whatever has focus now was activated before we listened.
    for (const Window &window : windows(deadline).value_or(std::vector<Window>{})) {
        if (window.focused) noteFocus(window);
    }
    return true;
}

void SwayWindows::readEvents() {
    char chunk[64 * 1024];
    // Bounded per wake-up so a flood cannot hold the event loop; the
    // notifier wakes again for the rest.
    for (int reads = 0; reads < 64; ++reads) {
        const ssize_t got = ::recv(events_, chunk, sizeof(chunk), 0);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        // Closed (the compositor is gone), failed, or not speaking sway's IPC.
        if (got <= 0 || !takeBytes(chunk, static_cast<std::size_t>(got))) {
            dropEvents();
            front_.reset();
            return;
        }
    }
}

bool SwayWindows::takeBytes(const char *bytes, std::size_t size) {
    pending_.append(bytes, static_cast<qsizetype>(size));
    while (pending_.size() >= static_cast<qsizetype>(kHeaderSize)) {
        const auto header = parseHeader(pending_.constData());
        if (!header) return false;
        const auto whole = static_cast<qsizetype>(kHeaderSize + header->length);
        if (pending_.size() < whole) break;
        if (header->type == kWindowEvent) takeEvent(pending_.mid(kHeaderSize, header->length));
        pending_.remove(0, whole);
    }
    return true;
}

void SwayWindows::takeEvent(const QByteArray &body) {
    const QJsonObject event = QJsonDocument::fromJson(body).object();
    const QString change = event.value(QStringLiteral("change")).toString();
    const QJsonObject container = event.value(QStringLiteral("container")).toObject();
    if (change == QLatin1String("focus")) {
        if (auto window = windowFrom(container)) noteFocus(*window);
    } else if (change == QLatin1String("close")) {
        if (front_ && containerId(container) == front_->id) front_.reset();
    }
}

void SwayWindows::noteFocus(const Window &window) {
    const bool own = isOwnWindow(window.owner);
    if (!own) front_ = window;
}

void SwayWindows::dropRequests() {
    if (requests_ >= 0) ::close(requests_);
    requests_ = -1;
}

void SwayWindows::dropEvents() {
    // May run inside the notifier's own signal, so it goes later.
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_.release()->deleteLater();
    }
    if (events_ >= 0) ::close(events_);
    events_ = -1;
    pending_.clear();
}

// Other nodes (outputs, workspaces, split containers) have no process, and
// an application's window has an app id (Wayland) or X11 properties.
std::optional<SwayWindows::Window> SwayWindows::windowFrom(const QJsonObject &node) {
    const auto pid = positive(node.value(QStringLiteral("pid")), INT32_MAX);
    const auto id = containerId(node);
    const QJsonValue appId = node.value(QStringLiteral("app_id"));
    if (!pid || !id ||
        !(appId.isString() || node.value(QStringLiteral("window_properties")).isObject())) {
        return std::nullopt;
    }
    SwayWindows::Window window;
    window.id = *id;
    window.owner.pid = static_cast<int32_t>(*pid);
    const QString name = appId.toString();
    if (!name.isEmpty() && name.size() <= kMaxAppIdLength)
        window.owner.applicationID = name.toStdString();
    window.focused = node.value(QStringLiteral("focused")).toBool();
    return window;
}

} // namespace quorvel::platform
