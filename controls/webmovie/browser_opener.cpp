#include "controls/webmovie/browser_opener.h"

#include <gio/gio.h>

#include <cstdio>
#include <cstdlib>

namespace controls::webmovie {
namespace {

bool spawnOpener(const char* opener, const std::string& url, GError** error) {
    const char* argv[] = {opener, url.c_str(), nullptr};
    // Without DO_NOT_REAP_CHILD, GLib leaves no zombie behind.
    return g_spawn_async(nullptr, const_cast<char**>(argv), nullptr,
                         GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDIN_FROM_DEV_NULL), nullptr,
                         nullptr, nullptr, error);
}

}  // namespace

void openInBrowser(const std::string& url) {
    GError* error = nullptr;
    const char* opener = std::getenv("VEXO_WEBMOVIE_OPENER");
    bool opened = opener && *opener
                      ? spawnOpener(opener, url, &error)
                      : g_app_info_launch_default_for_uri(url.c_str(), nullptr, &error);
    if (!opened) {
        std::fprintf(stderr, "webmovie: cannot open %s: %s\n", url.c_str(),
                     error ? error->message : "no browser");
    }
    g_clear_error(&error);
}

}  // namespace controls::webmovie
