#include "controls/webmovie/browser_opener.h"

#include <gio/gio.h>

#include <cstdio>
#include <cstdlib>

namespace controls::webmovie {
namespace {

// What the programs set at start about their own drawing (platform/drawing_environment.h).
constexpr const char* kDrawingVariables[] = {"GDK_GL", "WEBKIT_DISABLE_DMABUF_RENDERER",
                                             "WEBKIT_WEB_RENDER_DEVICE_FILE"};

// The user's browser draws as it always does, whatever this process told its own WebKit.
bool spawnOpener(const char* opener, const std::string& url, GError** error) {
    const char* argv[] = {opener, url.c_str(), nullptr};
    gchar** environment = g_get_environ();
    for (const char* name : kDrawingVariables) environment = g_environ_unsetenv(environment, name);
    // Without DO_NOT_REAP_CHILD, GLib leaves no zombie behind.
    bool spawned = g_spawn_async(nullptr, const_cast<char**>(argv), environment,
                                 GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDIN_FROM_DEV_NULL),
                                 nullptr, nullptr, nullptr, error);
    g_strfreev(environment);
    return spawned;
}

bool launchDefault(const std::string& url, GError** error) {
    GAppLaunchContext* context = g_app_launch_context_new();
    for (const char* name : kDrawingVariables) g_app_launch_context_unsetenv(context, name);
    bool launched = g_app_info_launch_default_for_uri(url.c_str(), context, error);
    g_object_unref(context);
    return launched;
}

}  // namespace

void openInBrowser(const std::string& url) {
    GError* error = nullptr;
    const char* opener = std::getenv("VEXO_WEBMOVIE_OPENER");
    bool opened = opener && *opener ? spawnOpener(opener, url, &error) : launchDefault(url, &error);
    if (!opened) {
        std::fprintf(stderr, "webmovie: cannot open %s: %s\n", url.c_str(),
                     error ? error->message : "no browser");
    }
    g_clear_error(&error);
}

}  // namespace controls::webmovie
