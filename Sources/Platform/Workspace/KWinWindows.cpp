#include "Workspace/KWinWindows.h"

#include "Workspace/BusCalls.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <unistd.h>

namespace quorvel::platform {
namespace {

const QString kKWin = QStringLiteral("org.kde.KWin");
const QString kPluginName = QStringLiteral("io.quorvel.Quorvel.windows");
const QString kPath = QStringLiteral("/io/quorvel/KWinWindows");
const QString kInterface = QStringLiteral("io.quorvel.KWinWindows");
const QString kMethod = QStringLiteral("report");
constexpr int kBudgetMs = 500;
// Bounds on what we believe of a report; a real session is far below them.
constexpr qsizetype kMaxReportBytes = 1 << 20;
constexpr qsizetype kMaxWindows = 4096;
constexpr qsizetype kMaxIDLength = 64;
constexpr qsizetype kMaxApplicationIDLength = 512;

// Runs inside KWin. Windows are those a user would call windows (normal ones
// and dialogs), so panels and the desktop are never counted nor closed. The
// window list is sent whole on every change: it is small, and a lost or
// reordered report then cannot leave us with a wrong list.
const char *const kMainScript = R"js(
var target = %1;
function listed(c) { return c && (c.normalWindow || c.dialog); }
function describe(c) { return {id: String(c.internalId), pid: c.pid, app: c.desktopFileName}; }
function send(report) {
    callDBus(target[0], target[1], target[2], target[3], JSON.stringify(report));
}
function sendWindows(gone) {
    var list = [];
    workspace.clientList().forEach(function (c) {
        if (c !== gone && listed(c)) list.push(describe(c));
    });
    send({windows: list});
}
function sendActive(c) { if (listed(c)) send({active: describe(c)}); }
function follow(c) { c.desktopFileNameChanged.connect(function () { sendWindows(null); }); }
workspace.clientList().forEach(follow);
workspace.clientAdded.connect(function (c) { follow(c); sendWindows(null); });
workspace.clientRemoved.connect(function (c) { sendWindows(c); });
workspace.clientActivated.connect(sendActive);
sendWindows(null);
sendActive(workspace.activeClient);
)js";

// Closes the windows of the given processes, then unloads itself.
const char *const kCloseScript = R"js(
var pids = [%1];
workspace.clientList().forEach(function (c) {
    if ((c.normalWindow || c.dialog) && pids.indexOf(c.pid) >= 0) c.closeWindow();
});
callDBus("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "unloadScript", %2);
)js";

QString quoted(const QString &text) {
    return QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact))
        .mid(1)
        .chopped(1);
}

std::optional<int32_t> validPid(const QJsonValue &value) {
    const double pid = value.toDouble(-1);
    if (pid < 1 || pid > std::numeric_limits<int32_t>::max() || pid != static_cast<int32_t>(pid))
        return std::nullopt;
    return static_cast<int32_t>(pid);
}

} // namespace

// The bus object the script calls. A virtual object, so whatever arrives is
// checked by us rather than refused or converted by Qt's own dispatch.
class KWinWindows::Receiver final : public QDBusVirtualObject {
public:
    explicit Receiver(KWinWindows &windows)
        : windows_(windows) {}

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override {
        if (message.interface() != kInterface || message.member() != kMethod) return false;
        const bool accepted = windows_.handleReport(message);
        if (message.isReplyRequired())
            connection.send(accepted ? message.createReply()
                                     : message.createErrorReply(QDBusError::AccessDenied,
                                                                QStringLiteral("Report refused")));
        return true;
    }

private:
    KWinWindows &windows_;
};

KWinWindows::KWinWindows(QDBusConnection bus)
    : bus_(std::move(bus))
    , receiver_(std::make_unique<Receiver>(*this))
    , watcher_(std::make_unique<QDBusServiceWatcher>(kKWin, bus_,
                                                     QDBusServiceWatcher::WatchForOwnerChange)) {
    bus_.registerVirtualObject(kPath, receiver_.get());
    // A restarted or vanished KWin lost our script with it.
    QObject::connect(watcher_.get(), &QDBusServiceWatcher::serviceOwnerChanged, watcher_.get(),
                     [this](const QString &, const QString &, const QString &newOwner) {
                         if (newOwner != owner_) forget();
                     });
}

KWinWindows::~KWinWindows() {
    if (loaded_) unloadScript(kPluginName, QDeadlineTimer(kBudgetMs));
    bus_.unregisterObject(kPath);
}

void KWinWindows::followActivation() {
    connectToKWin(QDeadlineTimer(kBudgetMs), false);
}

bool KWinWindows::isAvailable() {
    // A report waited for below may run this again from the nested loop.
    if (waiting_) return false;
    return connectToKWin(QDeadlineTimer(kBudgetMs), true);
}

std::optional<WindowOwner> KWinWindows::frontWindow() {
    if (!reported_ || !front_) return std::nullopt;
    const auto open = std::find_if(windows_.begin(), windows_.end(), [this](const Window &window) {
        return window.id == front_->id;
    });
    if (open == windows_.end()) return std::nullopt;
    WindowOwner owner{open->pid, std::nullopt};
    if (!open->applicationID.empty()) owner.applicationID = open->applicationID;
    return owner;
}

std::size_t KWinWindows::countWindows(const InstanceWindows &instance) {
    return windowsOf(instance).size();
}

std::size_t KWinWindows::closeWindows(const InstanceWindows &instance) {
    const std::vector<const Window *> windows = windowsOf(instance);
    if (windows.empty()) return 0;
    QStringList pids;
    for (const Window *window : windows) pids << QString::number(window->pid);
    pids.removeDuplicates();
    const QString name = kPluginName + QStringLiteral(".close%1").arg(++oneShots_);
    const QString text = QString::fromUtf8(kCloseScript).arg(pids.join(u','), quoted(name));
    return loadScript(name, text.toUtf8(), QDeadlineTimer(kBudgetMs)) ? windows.size() : 0;
}

bool KWinWindows::connectToKWin(const QDeadlineTimer &deadline, bool waitForReport) {
    if (!bus_.isConnected()) return false;
    const QString owner = busNameOwner(bus_, kKWin, deadline);
    if (owner != owner_) {
        forget();
        owner_ = owner;
    }
    if (owner_.isEmpty()) return false;
    if (!loaded_) {
        unloadScript(kPluginName, deadline); // a copy left by an earlier run of ours
        const QString target = QString::fromUtf8(
            QJsonDocument(QJsonArray{bus_.baseService(), kPath, kInterface, kMethod})
                .toJson(QJsonDocument::Compact));
        loaded_ =
            loadScript(kPluginName, QString::fromUtf8(kMainScript).arg(target).toUtf8(), deadline);
        if (!loaded_ || !waitForReport) return false;
        // KWin starts the script after answering; its first report follows.
        QEventLoop loop;
        QTimer::singleShot(millisecondsLeft(deadline), &loop, &QEventLoop::quit);
        waiting_ = &loop;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        waiting_ = nullptr;
    }
    return reported_;
}

void KWinWindows::forget() {
    owner_.clear();
    loaded_ = false;
    reported_ = false;
    windows_.clear();
    front_.reset();
    if (waiting_) waiting_->quit();
}

bool KWinWindows::loadScript(const QString &pluginName, const QByteArray &text,
                             const QDeadlineTimer &deadline) {
    if (!scriptDir_) {
        // Private to us (0700, unpredictable name), where KWin, running as
        // the same user, can read it.
        QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (base.isEmpty()) base = QDir::tempPath();
        scriptDir_ = std::make_unique<QTemporaryDir>(base + QStringLiteral("/quorvel-kwin-XXXXXX"));
    }
    if (!scriptDir_->isValid()) return false;
    QFile file(scriptDir_->filePath(pluginName + QStringLiteral(".js")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(text) != text.size())
        return false;
    file.close();

    QDBusMessage load = QDBusMessage::createMethodCall(kKWin, QStringLiteral("/Scripting"),
                                                       QStringLiteral("org.kde.kwin.Scripting"),
                                                       QStringLiteral("loadScript"));
    load << file.fileName() << pluginName;
    const QDBusMessage loaded = bus_.call(load, QDBus::Block, millisecondsLeft(deadline));
    if (loaded.type() != QDBusMessage::ReplyMessage || loaded.arguments().size() != 1) return false;
    const int id = loaded.arguments().constFirst().toInt();
    if (id < 0) return false;
    // KWin 5 puts the script at "/<id>", KWin 6 at "/Scripting/Script<id>".
    for (const QString &path :
         {QStringLiteral("/%1").arg(id), QStringLiteral("/Scripting/Script%1").arg(id)}) {
        const QDBusMessage run = QDBusMessage::createMethodCall(
            kKWin, path, QStringLiteral("org.kde.kwin.Script"), QStringLiteral("run"));
        if (bus_.call(run, QDBus::Block, millisecondsLeft(deadline)).type() ==
            QDBusMessage::ReplyMessage)
            return true;
        if (deadline.hasExpired()) break;
    }
    unloadScript(pluginName, deadline);
    return false;
}

void KWinWindows::unloadScript(const QString &pluginName, const QDeadlineTimer &deadline) {
    QDBusMessage unload = QDBusMessage::createMethodCall(kKWin, QStringLiteral("/Scripting"),
                                                         QStringLiteral("org.kde.kwin.Scripting"),
                                                         QStringLiteral("unloadScript"));
    unload << pluginName;
    bus_.call(unload, QDBus::Block, millisecondsLeft(deadline));
}

bool KWinWindows::handleReport(const QDBusMessage &message) {
    // Only KWin runs our script; anyone else on the bus could lie.
    if (owner_.isEmpty() || message.service() != owner_ || message.signature() != u"s")
        return false;
    const QString text = message.arguments().constFirst().toString();
    if (text.size() > kMaxReportBytes) return false;
    const QJsonObject report = QJsonDocument::fromJson(text.toUtf8()).object();

    const auto parse = [](const QJsonValue &value) -> std::optional<Window> {
        const QJsonObject object = value.toObject();
        const QString id = object.value(u"id").toString();
        const QString app = object.value(u"app").toString();
        const std::optional<int32_t> pid = validPid(object.value(u"pid"));
        if (id.isEmpty() || id.size() > kMaxIDLength || app.size() > kMaxApplicationIDLength ||
            !pid)
            return std::nullopt;
        return Window{id, *pid, app.toStdString()};
    };

    if (report.value(u"windows").isArray()) {
        const QJsonArray list = report.value(u"windows").toArray();
        if (list.size() > kMaxWindows) return false;
        windows_.clear();
        for (const QJsonValue &value : list)
            if (std::optional<Window> window = parse(value)) windows_.push_back(std::move(*window));
        reported_ = true;
        if (waiting_) waiting_->quit();
        return true;
    }
    const std::optional<Window> active = parse(report.value(u"active"));
    if (!active) return false;
    // Our own windows (the panel) must not become the one in front.
    if (!isOwnWindow({active->pid, active->applicationID})) front_ = active;
    return true;
}

std::vector<const KWinWindows::Window *>
KWinWindows::windowsOf(const InstanceWindows &instance) const {
    std::vector<const Window *> found;
    if (!reported_) return found;
    for (const Window &window : windows_)
        if (std::find(instance.pids.begin(), instance.pids.end(), window.pid) !=
            instance.pids.end())
            found.push_back(&window);
    return found;
}

} // namespace quorvel::platform
