// Shared by the GTK backend's tests: the backend itself, a message loop that runs until a
// condition holds, windows that remember their messages, and looks at the X server from
// outside the process (xwininfo, xprop, xdotool, import).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/window.h"

namespace gtk_test {

using namespace std::chrono_literals;
using namespace platform;

// The lParam of a mouse message at client point (x, y).
inline LPARAM pointAt(int x, int y) {
    return MAKELPARAM(static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y));
}

// Installs the GTK backend once per test process, on the process's own X server.
class GtkBackendTest : public ::testing::Test {
  protected:
    void SetUp() override;
};

// Ends the test process with a message if it is still alive after `limit`: for tests that
// block in the real message loop, where a fault would otherwise hang forever.
class Watchdog {
  public:
    explicit Watchdog(std::chrono::milliseconds limit);
    ~Watchdog();

  private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

// For as long as it lives, presses of one button on one spot count as a double click however
// far apart in time the X server stamps them: a loaded machine can delay xdotool's second click
// past the desktop's 400 ms. Tests that want two single clicks put them on different spots.
class PatientDoubleClick {
  public:
    PatientDoubleClick();
    ~PatientDoubleClick();
    PatientDoubleClick(const PatientDoubleClick&) = delete;
    PatientDoubleClick& operator=(const PatientDoubleClick&) = delete;

  private:
    int saved_ = 400;
};

// Both waits return as soon as `done` holds. Their default limit is one only a fault reaches,
// however loaded the machine: the X server, GTK and xdotool are other processes' work.
// Waits on the calling thread (no message loop) until `done` holds or `limit` passed.
bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 60s);

// Runs the calling thread's message loop until `done` holds or `limit` passed; returns done().
bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 60s);
// Runs a shell command while the message loop runs; returns its standard output.
std::string runWhilePumping(const std::string& command);

// A window that keeps every message it gets.
class RecordingWindow : public Window {
  public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The messages of the given kinds, in the order they came.
    std::vector<MSG> received(std::initializer_list<UINT> kinds) const;

  private:
    std::vector<MSG> log_;
};

// Creates a visible top-level window and waits until it is on screen.
void showWindow(Window& window, const std::string& title, DWORD style, const RECT& rect);

struct XGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};
// Where the X server has a window (absolute position and size), per xwininfo.
XGeometry xGeometry(Window& window);
// The X window id of a top-level window, as the command-line tools write it.
std::string xId(Window& window);

struct Pixel {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Pixel&) const = default;
};
// The whole screen, as `import` grabs it.
class Screenshot {
  public:
    static Screenshot take();
    Pixel at(int x, int y) const;
    int width() const { return width_; }
    int height() const { return height_; }

  private:
    int width_ = 0, height_ = 0;
    std::vector<std::uint8_t> rgb_;
};

}  // namespace gtk_test
