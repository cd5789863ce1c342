#include "Workspace/DesktopLauncher.h"

#include <QTimer>

#include "Workspace/GioFunctions.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::platform {
namespace {

struct GObjectDeleter {
    const GioFunctions *gio;
    void operator()(gpointer object) const { gio->objectUnref(object); }
};
template <typename T> using OwnedObject = std::unique_ptr<T, GObjectDeleter>;

struct GCharDeleter {
    void operator()(gchar *text) const { g_free(text); }
};
using OwnedText = std::unique_ptr<gchar, GCharDeleter>;

struct KeyFileDeleter {
    void operator()(GKeyFile *file) const { g_key_file_unref(file); }
};

struct ErrorDeleter {
    void operator()(GError *error) const { g_error_free(error); }
};

std::string displayName(const std::string &path) {
    return OwnedText(g_filename_display_basename(path.c_str())).get();
}

std::string errnoSentence(int error) {
    return g_strerror(error);
}

// What keeps `path` from being an entry worth handing to GIO, if anything.
std::optional<std::string> problemWithEntry(const std::string &path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return errnoSentence(errno);
    if (S_ISDIR(status.st_mode)) return errnoSentence(EISDIR);
    if (::access(path.c_str(), R_OK) != 0) return errnoSentence(errno);
    const std::unique_ptr<GKeyFile, KeyFileDeleter> file(g_key_file_new());
    if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr) ||
        !g_key_file_has_group(file.get(), G_KEY_FILE_DESKTOP_GROUP)) {
        return "“" + displayName(path) + "” is not a desktop entry.";
    }
    return std::nullopt;
}

// The file name without ".desktop", as desktop file IDs are written here.
std::string idFromFileName(const std::string &path) {
    std::string name = OwnedText(g_path_get_basename(path.c_str())).get();
    constexpr std::string_view suffix = ".desktop";
    if (name.size() > suffix.size() && name.ends_with(suffix))
        name.resize(name.size() - suffix.size());
    return name;
}

// In the launched process, before it runs the program: leave Quorvel's
// session, so a hang-up or Ctrl-C meant for Quorvel does not reach it.
void leaveSession(gpointer) {
    ::setsid();
}

// A started application shows up without taking the focus: its startup
// identifier carries the time 0, which asks the window manager not to focus
// its window, and it gets no Wayland activation token of ours.
OwnedObject<GAppLaunchContext> unfocusedLaunch(const GioFunctions &gio) {
    static std::atomic<int> launches = 0;
    OwnedObject<GAppLaunchContext> context(gio.appLaunchContextNew(), GObjectDeleter{&gio});
    const std::string id =
        "quorvel-" + std::to_string(::getpid()) + "-" + std::to_string(++launches) + "_TIME0";
    gio.appLaunchContextSetenv(context.get(), "DESKTOP_STARTUP_ID", id.c_str());
    gio.appLaunchContextUnsetenv(context.get(), "XDG_ACTIVATION_TOKEN");
    return context;
}

void rememberPid(GDesktopAppInfo *, GPid pid, gpointer outcome) {
    static_cast<DesktopLauncher::Outcome *>(outcome)->pid = static_cast<int32_t>(pid);
}

} // namespace

DesktopLauncher::DesktopLauncher(std::unique_ptr<SystemdUserScope> scope, QObject *parent)
    : QObject(parent)
    , scope_(std::move(scope)) {}

DesktopLauncher::~DesktopLauncher() = default;

DesktopLauncher::Outcome DesktopLauncher::launch(const std::string &path) {
    Outcome outcome;
    if ((outcome.error = problemWithEntry(path))) return outcome;
    std::string loadError;
    const GioFunctions *gio = GioFunctions::load(loadError);
    if (!gio) {
        outcome.error = loadError;
        return outcome;
    }
    const OwnedObject<GDesktopAppInfo> entry(gio->desktopAppInfoNewFromFilename(path.c_str()),
                                             GObjectDeleter{gio});
    if (!entry) {
        outcome.error =
            "The desktop entry “" + displayName(path) + "” names no program that can be started.";
        return outcome;
    }
    // Without G_SPAWN_DO_NOT_REAP_CHILD, GLib starts the program through an
    // intermediate process it reaps at once, so the program is never our
    // child and never lingers as our zombie.
    GError *rawError = nullptr;
    const auto context = unfocusedLaunch(*gio);
    // What it prints is its own business, not part of Quorvel's output.
    const int nowhere = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    gio->launchUrisAsManagerWithFds(entry.get(), nullptr, context.get(), G_SPAWN_SEARCH_PATH,
                                    leaveSession, nullptr, rememberPid, &outcome, nowhere, nowhere,
                                    nowhere, &rawError);
    if (nowhere >= 0) ::close(nowhere);
    const std::unique_ptr<GError, ErrorDeleter> error(rawError);
    if (error) {
        outcome.error = error->message;
        outcome.pid = 0;
    }
    return outcome;
}

void DesktopLauncher::open(const std::string &path, std::optional<std::string> desktopFileID,
                           Completion completion) {
    const Outcome outcome = launch(path);
    if (outcome.pid > 0) scope_->adopt(desktopFileID.value_or(idFromFileName(path)), outcome.pid);
    // Callers expect the answer later, never inside this call.
    QTimer::singleShot(0, this, [completion = std::move(completion), error = outcome.error] {
        if (completion) completion(error);
    });
}

} // namespace quorvel::platform
