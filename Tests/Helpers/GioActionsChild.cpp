// A GApplication named by the first argument that exports a "quit" action on
// the session bus, as desktop applications built on GIO do. Prints "ready"
// once its name is on the bus; exits with 0 when the action is activated.
#include <gio/gio.h>

#include <cstdio>

int main(int argc, char **argv) {
    if (argc < 2 || !g_application_id_is_valid(argv[1])) return 2;
    GApplication *application = g_application_new(argv[1], G_APPLICATION_DEFAULT_FLAGS);
    GSimpleAction *quit = g_simple_action_new("quit", nullptr);
    g_signal_connect_swapped(quit, "activate", G_CALLBACK(g_application_quit), application);
    g_action_map_add_action(G_ACTION_MAP(application), G_ACTION(quit));
    g_signal_connect(application, "activate", G_CALLBACK(+[](GApplication *app) {
                         g_application_hold(app);
                         std::printf("ready\n");
                         std::fflush(stdout);
                     }),
                     nullptr);
    const int status = g_application_run(application, 0, nullptr);
    g_object_unref(quit);
    g_object_unref(application);
    return status;
}
