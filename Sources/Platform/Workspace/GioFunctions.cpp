#include "Workspace/GioFunctions.h"

#include <dlfcn.h>

#include <optional>
#include <type_traits>

namespace quorvel::platform {
namespace {

struct Loaded {
    std::optional<GioFunctions> functions;
    std::string error;
};

Loaded loadOnce() {
    Loaded loaded;
    constexpr const char *libraryName = "libgio-2.0.so.0";
    // Never closed: GIO registers types with GObject that cannot be undone.
    void *library = ::dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char *reason = ::dlerror();
        loaded.error =
            std::string("Applications cannot be started: ") + (reason ? reason : libraryName) + ".";
        return loaded;
    }
    GioFunctions f{};
    const char *missing = nullptr;
    const auto need = [&](const char *name, auto &function) {
        if (missing) return;
        function =
            reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(library, name));
        if (!function) missing = name;
    };
    need("g_desktop_app_info_new_from_filename", f.desktopAppInfoNewFromFilename);
    need("g_desktop_app_info_launch_uris_as_manager_with_fds", f.launchUrisAsManagerWithFds);
    need("g_app_launch_context_new", f.appLaunchContextNew);
    need("g_app_launch_context_setenv", f.appLaunchContextSetenv);
    need("g_app_launch_context_unsetenv", f.appLaunchContextUnsetenv);
    // libgobject comes with libgio, and a handle's lookup reaches it.
    need("g_object_unref", f.objectUnref);
    if (missing) {
        loaded.error = std::string("Applications cannot be started: ") + libraryName + " has no " +
                       missing + ".";
        return loaded;
    }
    loaded.functions = f;
    return loaded;
}

} // namespace

const GioFunctions *GioFunctions::load(std::string &error) {
    static const Loaded loaded = loadOnce();
    if (!loaded.functions) {
        error = loaded.error;
        return nullptr;
    }
    return &*loaded.functions;
}

} // namespace quorvel::platform
