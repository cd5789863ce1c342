#pragma once

// GLib names a struct member `signals`, which Qt defines as a macro.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#pragma pop_macro("signals")

#include <string>

namespace quorvel::platform {

// The few GIO functions that start an application, found in libgio when the
// first application is started rather than linked: the resident program
// then pays for GIO and the libraries it pulls in only once it launches.
struct GioFunctions {
    decltype(&g_desktop_app_info_new_from_filename) desktopAppInfoNewFromFilename;
    decltype(&g_desktop_app_info_launch_uris_as_manager_with_fds) launchUrisAsManagerWithFds;
    decltype(&g_app_launch_context_new) appLaunchContextNew;
    decltype(&g_app_launch_context_setenv) appLaunchContextSetenv;
    decltype(&g_app_launch_context_unsetenv) appLaunchContextUnsetenv;
    decltype(&g_object_unref) objectUnref;

    // Loads them on the first call; null, with a sentence in `error`, when
    // libgio or one of them is missing. Safe from any thread.
    static const GioFunctions *load(std::string &error);
};

} // namespace quorvel::platform
