#include "tests/support/gtk/gtk_test_support.h"

#include <cstdio>
#include <future>
#include <regex>
#include <sstream>

#include <gtk/gtk.h>

#include "platform/gtk/gtk_backend.h"
#include "platform/messages.h"
#include "tests/support/gtk/gtk_probe.h"

namespace gtk_test {

using namespace platform;

void GtkBackendTest::SetUp() {
    if (hasBackend()) return;
    std::string error;
    auto gtk = createGtkBackend(&error);
    ASSERT_NE(gtk, nullptr) << error;
    setBackend(std::move(gtk));
}

Watchdog::Watchdog(std::chrono::milliseconds limit)
    : thread_([this, limit] {
          std::unique_lock lock(mutex_);
          if (done_.wait_for(lock, limit, [this] { return finished_; })) return;
          std::fprintf(stderr, "watchdog: the test hung\n");
          std::_Exit(3);
      }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    done_.notify_one();
    thread_.join();
}

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!done() && Clock::now() < end) std::this_thread::sleep_for(5ms);
    return done();
}

bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    // A thread timer makes sure the loop comes round to look at `done`.
    const UINT_PTR timer = setTimer(nullptr, 0, 10, nullptr);
    MSG msg;
    while (!done() && Clock::now() < end) {
        if (!getMessage(msg)) break;
        dispatchMessage(msg);
    }
    killTimer(nullptr, timer);
    return done();
}

namespace {

std::string capture(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    pclose(pipe);
    return output;
}

int field(const std::string& text, const std::string& name) {
    std::smatch match;
    const std::regex pattern(name + ":\\s*(-?\\d+)");
    return std::regex_search(text, match, pattern) ? std::stoi(match[1]) : -1;
}

}  // namespace

PatientDoubleClick::PatientDoubleClick() {
    g_object_get(gtk_settings_get_default(), "gtk-double-click-time", &saved_, nullptr);
    g_object_set(gtk_settings_get_default(), "gtk-double-click-time", G_MAXINT, nullptr);
}

PatientDoubleClick::~PatientDoubleClick() {
    g_object_set(gtk_settings_get_default(), "gtk-double-click-time", saved_, nullptr);
}

std::string runWhilePumping(const std::string& command) {
    auto result = std::async(std::launch::async, capture, command);
    pumpUntil([&] { return result.wait_for(0s) == std::future_status::ready; }, 10s);
    return result.get();
}

LRESULT RecordingWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    log_.push_back(MSG{GetSafeHwnd(), message, wParam, lParam});
    return Window::WindowProc(message, wParam, lParam);
}

std::vector<MSG> RecordingWindow::received(std::initializer_list<UINT> kinds) const {
    std::vector<MSG> found;
    for (const MSG& msg : log_)
        for (UINT kind : kinds)
            if (msg.message == kind) found.push_back(msg);
    return found;
}

void showWindow(Window& window, const std::string& title, DWORD style, const RECT& rect) {
    ASSERT_TRUE(window.CreateEx(0, "Test", title, style | WS_VISIBLE, rect, nullptr, 0));
    ASSERT_TRUE(pumpUntil([&] { return gtk_probe::isOnScreen(*window.backendWindow()); }));
}

std::string xId(Window& window) {
    return std::to_string(gtk_probe::xWindow(*window.backendWindow()));
}

XGeometry xGeometry(Window& window) {
    const std::string info = runWhilePumping("xwininfo -id " + xId(window));
    return XGeometry{field(info, "Absolute upper-left X"), field(info, "Absolute upper-left Y"),
                     field(info, "Width"), field(info, "Height")};
}

Screenshot Screenshot::take() {
    Screenshot shot;
    const std::string ppm = runWhilePumping("import -window root -depth 8 ppm:-");
    std::istringstream in(ppm);
    std::string magic;
    int maxValue = 0;
    in >> magic >> shot.width_ >> shot.height_ >> maxValue;
    in.get();  // the one blank after the header
    if (magic != "P6" || maxValue != 255) return Screenshot{};
    const auto size = static_cast<std::size_t>(shot.width_) * shot.height_ * 3;
    shot.rgb_.resize(size);
    in.read(reinterpret_cast<char*>(shot.rgb_.data()), static_cast<std::streamsize>(size));
    return shot;
}

Pixel Screenshot::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return Pixel{};
    const auto i = (static_cast<std::size_t>(y) * width_ + x) * 3;
    return Pixel{rgb_[i], rgb_[i + 1], rgb_[i + 2]};
}

}  // namespace gtk_test
