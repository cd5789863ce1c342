#include "Workspace/GnomeShellWindows.h"

#include "Workspace/BusCalls.h"

#include <QDBusArgument>
#include <QDBusServiceWatcher>

#include <algorithm>
#include <chrono>
#include <climits>
#include <unistd.h>

namespace quorvel::platform {

namespace {

const QString kService = QStringLiteral("io.quorvel.Shell");
const QString kPath = QStringLiteral("/io/quorvel/Shell");
const QString kInterface = QStringLiteral("io.quorvel.Shell");
constexpr std::chrono::milliseconds kBudget(500);
// Bounds on what a misbehaving extension (or impostor) could hand over.
constexpr std::size_t kMostWindows = 4096;
constexpr int kLongestApplicationID = 255;

// A window's owner from what the bus says; nothing for "no window" (pid 0
// and no app id), which is what focus on the Shell's own UI looks like.
std::optional<WindowOwner> ownerOf(uint pid, const QString &applicationID) {
    WindowOwner owner;
    if (pid > 0 && pid <= INT32_MAX) owner.pid = static_cast<int32_t>(pid);
    if (!applicationID.isEmpty() && applicationID.size() <= kLongestApplicationID)
        owner.applicationID = applicationID.toStdString();
    if (!owner.pid && !owner.applicationID) return std::nullopt;
    return owner;
}

} // namespace

GnomeShellWindows::GnomeShellWindows(QDBusConnection bus)
    : bus_(std::move(bus)) {}

GnomeShellWindows::~GnomeShellWindows() {
    if (following_)
        bus_.disconnect(QString(), kPath, kInterface, QStringLiteral("FocusChanged"), this,
                        SLOT(onFocusChanged(QDBusMessage)));
}

void GnomeShellWindows::followActivation() {
    if (following_ || !bus_.isConnected()) return;
    following_ = true;
    // Any sender here: the slot keeps only the current owner's signals, so
    // the subscription outlives a restart of the Shell.
    bus_.connect(QString(), kPath, kInterface, QStringLiteral("FocusChanged"), this,
                 SLOT(onFocusChanged(QDBusMessage)));
    watcher_ =
        new QDBusServiceWatcher(kService, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &GnomeShellWindows::onOwnerChanged);
    const QDeadlineTimer deadline(kBudget);
    owner_ = busNameOwner(bus_, kService, deadline);
    if (!owner_.isEmpty()) askFocus(deadline);
}

bool GnomeShellWindows::isAvailable() {
    if (!bus_.isConnected()) return false;
    const QDeadlineTimer deadline(kBudget);
    const QString owner = busNameOwner(bus_, kService, deadline);
    if (owner.isEmpty()) {
        owner_.clear();
        front_.reset();
        return false;
    }
    // A new Shell has windows of its own; what the last one had in front is gone.
    if (!owner_.isEmpty() && owner != owner_) front_.reset();
    owner_ = owner;
    const QDBusMessage answer = ask(QStringLiteral("FocusedWindow"), {}, deadline);
    return answer.type() == QDBusMessage::ReplyMessage && answer.signature() == QLatin1String("us");
}

std::optional<WindowOwner> GnomeShellWindows::frontWindow() {
    const QDeadlineTimer deadline(kBudget);
    if (!following_) askFocus(deadline);
    if (!front_) return std::nullopt;
    const std::optional<std::vector<WindowOwner>> windows = listWindows(deadline);
    if (!windows) return std::nullopt;
    // The window may have closed since: then nothing is in front.
    const bool open = std::any_of(windows->begin(), windows->end(), [this](const WindowOwner &w) {
        return front_->pid ? w.pid == front_->pid : w.applicationID == front_->applicationID;
    });
    if (!open) front_.reset();
    return front_;
}

std::size_t GnomeShellWindows::countWindows(const InstanceWindows &instance) {
    const std::optional<std::vector<WindowOwner>> windows = listWindows(QDeadlineTimer(kBudget));
    if (!windows) return 0;
    return std::count_if(windows->begin(), windows->end(), [&instance](const WindowOwner &w) {
        return w.pid &&
               std::find(instance.pids.begin(), instance.pids.end(), *w.pid) != instance.pids.end();
    });
}

std::size_t GnomeShellWindows::closeWindows(const InstanceWindows &instance) {
    QList<uint> pids;
    for (const int32_t pid : instance.pids)
        if (pid > 0) pids << static_cast<uint>(pid);
    if (pids.isEmpty()) return 0;
    const QDBusMessage answer =
        ask(QStringLiteral("CloseWindows"), {QVariant::fromValue(pids)}, QDeadlineTimer(kBudget));
    if (answer.type() != QDBusMessage::ReplyMessage || answer.signature() != QLatin1String("u"))
        return 0;
    return std::min<std::size_t>(answer.arguments().constFirst().toUInt(), kMostWindows);
}

void GnomeShellWindows::onFocusChanged(const QDBusMessage &message) {
    if (owner_.isEmpty() || message.service() != owner_ ||
        message.signature() != QLatin1String("us"))
        return;
    const QVariantList arguments = message.arguments();
    noteFocus(ownerOf(arguments.at(0).toUInt(), arguments.at(1).toString()));
}

void GnomeShellWindows::onOwnerChanged(const QString &, const QString &, const QString &newOwner) {
    // A new Shell has windows of its own; what the last one had in front is gone.
    owner_ = newOwner;
    front_.reset();
    if (!owner_.isEmpty()) askFocus(QDeadlineTimer(kBudget));
}

QDBusMessage GnomeShellWindows::ask(const QString &method, const QVariantList &arguments,
                                    const QDeadlineTimer &deadline) {
    if (!bus_.isConnected() || deadline.hasExpired())
        return QDBusMessage::createError(QDBusError::Timeout, QString());
    // Addressed to the well-known name, so an answer comes from its owner.
    QDBusMessage question = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    question.setArguments(arguments);
    question.setAutoStartService(false);
    return bus_.call(question, QDBus::Block, millisecondsLeft(deadline));
}

void GnomeShellWindows::askFocus(const QDeadlineTimer &deadline) {
    const QDBusMessage answer = ask(QStringLiteral("FocusedWindow"), {}, deadline);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.signature() != QLatin1String("us"))
        return;
    const QVariantList arguments = answer.arguments();
    noteFocus(ownerOf(arguments.at(0).toUInt(), arguments.at(1).toString()));
}

std::optional<std::vector<WindowOwner>>
GnomeShellWindows::listWindows(const QDeadlineTimer &deadline) {
    const QDBusMessage answer = ask(QStringLiteral("ListWindows"), {}, deadline);
    // The bus has checked the message against its signature, so reading
    // it as that type is safe; only the count and contents need bounds.
    if (answer.type() != QDBusMessage::ReplyMessage || answer.signature() != QLatin1String("a(us)"))
        return std::nullopt;
    const QDBusArgument list = answer.arguments().constFirst().value<QDBusArgument>();
    std::vector<WindowOwner> windows;
    list.beginArray();
    while (!list.atEnd() && windows.size() < kMostWindows) {
        uint pid = 0;
        QString applicationID;
        list.beginStructure();
        list >> pid >> applicationID;
        list.endStructure();
        if (const std::optional<WindowOwner> owner = ownerOf(pid, applicationID))
            windows.push_back(*owner);
    }
    list.endArray();
    return windows;
}

void GnomeShellWindows::noteFocus(const std::optional<WindowOwner> &owner) {
    if (!owner || isOwnWindow(*owner)) return;
    front_ = owner;
}

} // namespace quorvel::platform
