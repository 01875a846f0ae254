// Times the webmovie control's two paths between host and movie on an HTML movie in a real
// window: CallFunction round trips, and FSCommand events from the page to the host's fireEvent.
// Run under a display, e.g. xvfb-run -a -s "-screen 0 1024x768x24" ./webmovie_bench [count].
#include <dlfcn.h>
#include <gtk/gtk.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "controls/control_abi.h"

namespace {

namespace abi = platform::control_abi;
using CreateControl = abi::Control* (*)(int, const char*, abi::ControlSite*);

constexpr const char* kMovie = R"HTML(<!DOCTYPE html><html><body><script>
vexo.addCallback("echo", (text) => text);
addEventListener("vexoplay", () => fscommand("tick", ""));
fscommand("ready", "");
</script></body></html>)HTML";

constexpr const char* kEcho =
    R"(<invoke name="echo" returntype="xml"><arguments><string>ping 你好</string></arguments></invoke>)";

struct Site final : abi::ControlSite {
    explicit Site(GtkWidget* widget) : container(widget) {}
    void fireEvent(std::int32_t, const std::vector<abi::Variant>&) override { ++events; }
    void postDelayed(std::uint32_t, std::function<void()>) override {}
    void* nativeContainer() override { return container; }

    GtkWidget* container;
    int events = 0;
};

bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    const gint64 end = g_get_monotonic_time() + gint64{timeoutMs} * 1000;
    while (!done()) {
        if (g_get_monotonic_time() > end) return false;
        g_main_context_iteration(nullptr, FALSE);
    }
    return true;
}

struct Summary {
    double median, p90, min, max;
};

Summary summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.front(), ms.back()};
}

void print(const char* what, const std::vector<double>& samples) {
    Summary s = summarise(samples);
    std::printf("%-44s n=%zu median %.3f ms  p90 %.3f ms  min %.3f ms  max %.3f ms\n", what,
                samples.size(), s.median, s.p90, s.min, s.max);
}

std::vector<double> timeCallFunction(abi::Control& control, int count) {
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        const gint64 start = g_get_monotonic_time();
        abi::InvokeResult reply = control.invoke(0xC6, abi::InvokeKind::Method, {kEcho});
        ms.push_back((g_get_monotonic_time() - start) / 1000.0);
        if (!reply.ok) std::fprintf(stderr, "CallFunction failed: %s\n", reply.error.c_str());
    }
    return ms;
}

// Play reaches the page without waiting for it; the page answers with an FSCommand. The trip
// host -> page -> fireEvent bounds the FSCommand -> fireEvent part, which no clock shared by
// the two processes measures well enough (the page's clock is coarsened).
std::vector<double> timeFsCommand(abi::Control& control, Site& site, int count) {
    std::vector<double> trip;
    for (int i = 0; i < count; ++i) {
        const int before = site.events;
        const gint64 start = g_get_monotonic_time();
        control.invoke(0x70, abi::InvokeKind::Method, {});
        if (!runUntil([&] { return site.events > before; }, 5000)) continue;
        trip.push_back((g_get_monotonic_time() - start) / 1000.0);
    }
    return trip;
}

// A shown 320x240 window's container, which gives its one child all its room.
GtkWidget* shownContainer() {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 320, 240);
    GtkWidget* box = gtk_event_box_new();
    gtk_container_add(GTK_CONTAINER(window), box);
    gtk_widget_show_all(window);
    return box;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(10, std::atoi(argv[1])) : 1000;
    if (!gtk_init_check(&argc, &argv)) return std::fputs("no display\n", stderr), 1;
    void* module = dlopen(WEBMOVIE_MODULE, RTLD_NOW | RTLD_LOCAL);
    auto create =
        module ? reinterpret_cast<CreateControl>(dlsym(module, "vexoCreateControl")) : nullptr;
    if (!create) return std::fprintf(stderr, "%s\n", dlerror()), 1;
    Site site(shownContainer());
    std::unique_ptr<abi::Control> control(
        create(abi::kAbiVersion, "{D27CDB6E-AE6D-11CF-96B8-444553540000}", &site));
    const auto path = std::filesystem::temp_directory_path() / "webmovie_bench.html";
    std::ofstream(path) << kMovie;
    control->invoke(0x8E, abi::InvokeKind::Method, {std::int32_t{0}, path.string()});
    if (!runUntil([&] { return site.events > 0; }, 20000))
        return std::fputs("no movie\n", stderr), 1;
    timeCallFunction(*control, 50);  // warm-up: JIT, caches
    print("CallFunction round trip", timeCallFunction(*control, count));
    print("Play -> page -> FSCommand -> fireEvent", timeFsCommand(*control, site, count));
    control.reset();
    std::filesystem::remove(path);
    return 0;
}
