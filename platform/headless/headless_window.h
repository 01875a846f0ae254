// The in-memory windows of the headless backend and the screen that holds them: bounds,
// visibility, stacking, show state, focus, activation and capture as the portable layer set
// them, so that scripted input can find the window it goes to.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend.h"
#include "platform/ui_trace.h"

namespace platform {

class HeadlessScreen;

class HeadlessWindow final : public BackendWindow {
  public:
    HeadlessWindow(HeadlessScreen& screen, const NativeWindowSpec& spec, BackendWindow* parent);
    ~HeadlessWindow() override;

    void setBounds(const RECT& bounds) override;
    void setVisible(bool visible) override;
    void setText(const std::string& text) override;
    void setIcon(UINT resource, bool big) override;
    void setParent(BackendWindow* parent, const RECT& bounds) override;
    void setFocus() override;
    void insertItem(int index, const std::string& text) override;
    void* nativeHandle() override { return nullptr; }
    void setShowState(UINT showCmd) override;
    void setTopmost(bool topmost) override;
    void setShape(const Region* region) override;
    void setOpacity(std::uint8_t alpha) override;
    void setStyle(int index, DWORD value) override;
    void activate() override;
    void setCapture(bool captured) override;
    bool beginMoveSize(WPARAM edge, POINT screenPoint, const MINMAXINFO& limits) override;

    HWND hwnd() const { return hwnd_; }
    // The client area's top left on the screen.
    POINT clientOrigin() const;
    bool containsScreenPoint(POINT point) const;

  private:
    friend class HeadlessScreen;
    void write(const std::string& event, const std::string& rest = {}) const;

    HeadlessScreen& screen_;
    const HWND hwnd_;
    const std::string name_;
    const DWORD style_;
    const RECT insets_;
    // Windows are created on the thread whose queue they belong to.
    const std::thread::id thread_;
    HeadlessWindow* parent_;
    RECT bounds_;
    bool visible_ = false;
    bool topmost_ = false;
    bool minimized_ = false;
    std::uint64_t raised_ = 0;  // stacking order among top-level windows
};

class HeadlessScreen {
  public:
    HeadlessScreen(std::string tracePath, RECT screen, LONG taskBarHeight);

    const UiTrace& trace() const { return trace_; }
    RECT screenRect() const { return screen_; }
    RECT workArea() const;
    // The visible top-level window under a screen point, as windowAt finds it, or nullptr.
    HeadlessWindow* topLevelWindowAt(POINT point) const;

    void add(HeadlessWindow* window);
    void remove(HeadlessWindow* window);
    // Raises a top-level window; with `activate`, it also becomes the foreground window.
    void raise(HeadlessWindow* window, bool activate = false);
    // The deepest visible window under a screen point: topmost windows first, then the most
    // recently raised.
    HeadlessWindow* windowAt(POINT point) const;

    // Focus and capture belong to a thread, as the portable layer keeps them.
    void setFocus(HeadlessWindow* window);
    void setCapture(HeadlessWindow* window, bool captured);
    // Where the calling thread's keys go: its focus window, else the foreground window when it
    // belongs to this thread; nullptr for neither.
    HeadlessWindow* keyTarget() const;
    // The calling thread's window with the mouse capture, or nullptr.
    HeadlessWindow* captured() const;

  private:
    HeadlessWindow* topLevelAt(POINT point) const;

    UiTrace trace_;
    RECT screen_;
    LONG taskBarHeight_;
    mutable std::mutex mutex_;
    std::vector<HeadlessWindow*> windows_;
    std::uint64_t nextRaise_ = 1;
    HeadlessWindow* foreground_ = nullptr;
    std::map<std::thread::id, HeadlessWindow*> focus_;
    std::map<std::thread::id, HeadlessWindow*> capture_;
};

}  // namespace platform
