#include "tests/controls/webmovie/gui_host.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>

namespace webmovie_test {

CreateControl moduleEntry() {
    static void* handle = dlopen(WEBMOVIE_MODULE, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) ADD_FAILURE() << dlerror();
    return handle ? reinterpret_cast<CreateControl>(dlsym(handle, "vexoCreateControl")) : nullptr;
}

std::unique_ptr<abi::Control> createWebMovie(abi::ControlSite& site) {
    CreateControl create = moduleEntry();
    if (create == nullptr) return nullptr;
    return std::unique_ptr<abi::Control>(create(abi::kAbiVersion, kFlashClsid, &site));
}

void GuiSite::fireEvent(std::int32_t dispid, const std::vector<abi::Variant>& args) {
    const std::string* command = args.size() == 2 ? std::get_if<std::string>(&args[0]) : nullptr;
    const std::string* text = args.size() == 2 ? std::get_if<std::string>(&args[1]) : nullptr;
    if (dispid != kFsCommand || !command || !text) {
        otherEvents.push_back(dispid);
        return;
    }
    fsCommands.emplace_back(*command, *text);
    FsCommand copy = fsCommands.back();
    if (onFsCommand) onFsCommand(copy);
}

void GuiSite::postDelayed(std::uint32_t delayMs, std::function<void()> task) {
    auto* heap = new std::function<void()>(std::move(task));
    g_timeout_add_full(
        G_PRIORITY_DEFAULT, delayMs,
        [](gpointer data) {
            (*static_cast<std::function<void()>*>(data))();
            return G_SOURCE_REMOVE;
        },
        heap, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

GuiWindow::GuiWindow() {
    static const bool initialised = gtk_init_check(nullptr, nullptr);
    if (!initialised) ADD_FAILURE() << "no display: run under xvfb-run";
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window_), kWidth, kHeight);
    gtk_window_move(GTK_WINDOW(window_), 0, 0);
    container_ = gtk_event_box_new();  // gives its one child all of its allocation
    gtk_container_add(GTK_CONTAINER(window_), container_);
    gtk_widget_show_all(window_);
    runUntil([this] { return gtk_widget_get_mapped(window_); }, 5000);
}

GuiWindow::~GuiWindow() {
    gtk_widget_destroy(window_);
    runFor(20);
}

std::uint32_t GuiWindow::pixel(int x, int y) const {
    GdkPixbuf* shot = gdk_pixbuf_get_from_window(gtk_widget_get_window(window_), x, y, 1, 1);
    if (shot == nullptr) return 0xFFFFFFFF;
    const guchar* p = gdk_pixbuf_get_pixels(shot);
    std::uint32_t rgb = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
    g_object_unref(shot);
    return rgb;
}

bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    const gint64 end = g_get_monotonic_time() + gint64{timeoutMs} * 1000;
    while (!done()) {
        if (g_get_monotonic_time() > end) return false;
        if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(1000);
    }
    return true;
}

void runFor(int ms) {
    runUntil([] { return false; }, ms);
}

abi::InvokeResult loadMovie(abi::Control& control, const std::string& location) {
    return control.invoke(kLoadMovie, abi::InvokeKind::Method, {std::int32_t{0}, location});
}

abi::InvokeResult callFunction(abi::Control& control, const std::string& request) {
    return control.invoke(kCallFunction, abi::InvokeKind::Method, {request});
}

abi::InvokeResult setBackground(abi::Control& control, std::int32_t rgb) {
    return control.invoke(kBackgroundColor, abi::InvokeKind::PropertyPut, {rgb});
}

abi::InvokeResult play(abi::Control& control) {
    return control.invoke(kPlay, abi::InvokeKind::Method, {});
}

std::string replyOf(const abi::InvokeResult& result) {
    const auto* text = std::get_if<std::string>(&result.value);
    return result.ok && text ? *text : "<not a string reply: " + result.error + ">";
}

TempDir::TempDir() {
    std::string pattern = std::filesystem::temp_directory_path() / "webmovie.XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
}

TempDir::~TempDir() { std::filesystem::remove_all(path_); }

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
    return (path_ / name).string();
}

bool hasFsCommand(const GuiSite& site, const FsCommand& wanted) {
    return std::find(site.fsCommands.begin(), site.fsCommands.end(), wanted) !=
           site.fsCommands.end();
}

}  // namespace webmovie_test
