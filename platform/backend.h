// The seam between the portable window layer and a window system. The portable layer keeps the
// Win32 meaning (styles, placement, messages); a backend only shows what it is told and feeds
// input back as messages posted to the window's thread.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/menu.h"
#include "platform/os/clock.h"
#include "platform/os/win32.h"
#include "platform/region.h"
#include "platform/shell_services.h"

namespace platform {

// Waits for work on one thread: posted messages (announced with wake) or native events, which a
// backend handles inside wait and turns into posted messages.
class EventPump : public ClockWatcher {
  public:
    virtual ~EventPump() = default;
    // Returns after wake() was called (before or during the wait), after native events were
    // handled, or at the deadline.
    virtual void wait(std::optional<Clock::time_point> deadline) = 0;
    // Callable from any thread.
    void wake() override = 0;
};

// What a backend needs to know to make the native side of a window.
enum class WindowKind { TopLevel, Child, ListBox, ControlSite };

// What a native window tells the portable layer, which keeps the window's state. Called on the
// window's thread, from inside EventPump::wait.
class WindowDelegate {
  public:
    // The window manager moved or resized a top-level window. `bounds` is the new window
    // rectangle, frame included, in the coordinates of BackendWindow::setBounds.
    virtual void onNativeBoundsChanged(const RECT& bounds) = 0;

  protected:
    ~WindowDelegate() = default;
};

struct NativeWindowSpec {
    WindowKind kind = WindowKind::TopLevel;
    HWND hwnd = nullptr;
    std::string className;
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT bounds;  // screen coordinates for top-level windows, parent-client for children
    // The frame around the client area (left, top, right, bottom widths) that the portable
    // layer counts for this style; children are placed relative to the client area.
    RECT insets{};
    WindowDelegate* delegate = nullptr;
    // The window that owns a top-level window (a dialog's main window), or nullptr.
    HWND owner = nullptr;
};

// The native counterpart of one window. The portable layer calls it on the window's thread
// after each change of what a person could see.
class BackendWindow {
  public:
    virtual ~BackendWindow() = default;
    // Screen rectangle for top-level windows, parent-client rectangle for child windows.
    virtual void setBounds(const RECT& bounds) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual void setText(const std::string& text) = 0;
    // The style (GWL_STYLE, WS_VISIBLE left out) or extended style (GWL_EXSTYLE) changed after
    // creation to `value`.
    virtual void setStyle(int index, DWORD value) = 0;
    // Shows the icon resource `resource` (0: none) as the window's big or small icon.
    virtual void setIcon(UINT resource, bool big) = 0;
    // nullptr detaches a child from its parent; `bounds` are then the next bounds it will have.
    virtual void setParent(BackendWindow* parent, const RECT& bounds) = 0;
    virtual void setFocus() = 0;
    // List boxes: a line was inserted at `index`.
    virtual void insertItem(int index, const std::string& text) = 0;
    // The native widget (GtkWidget*) or nullptr.
    virtual void* nativeHandle() = 0;

    // SW_SHOWNORMAL, SW_SHOWMINIMIZED or SW_SHOWMAXIMIZED. The bounds that go with a state
    // arrive through setBounds; a backend only tells the window manager (iconify and so on).
    virtual void setShowState(UINT showCmd) = 0;
    virtual void setTopmost(bool topmost) = 0;
    // The window's shape in window coordinates; nullptr for its whole rectangle.
    virtual void setShape(const Region* region) = 0;
    // Constant opacity of the whole window, 0 (invisible) to 255 (opaque).
    virtual void setOpacity(std::uint8_t alpha) = 0;
    // Raise and give the input focus to this top-level window.
    virtual void activate() = 0;
    virtual void setCapture(bool captured) = 0;
    // Starts the system's move loop (edge 0) or sizing loop (a WMSZ_* edge) for the button
    // pressed at `screenPoint`. True when the window manager runs it, in which case this
    // returns at once; false when the portable layer must follow the mouse itself.
    virtual bool beginMoveSize(WPARAM edge, POINT screenPoint, const MINMAXINFO& limits) = 0;
};

class Backend {
  public:
    virtual ~Backend() = default;
    virtual std::string name() const = 0;
    virtual std::unique_ptr<BackendWindow> createWindow(const NativeWindowSpec& spec,
                                                        BackendWindow* parent) = 0;
    // The pump for the calling thread's message queue.
    virtual std::unique_ptr<EventPump> createPump() = 0;
    virtual RECT screenRect() const = 0;
    virtual RECT workArea() const = 0;
    // Shows a message box and returns the button chosen (IDOK, IDYES, ...). Runs on the calling
    // thread; the owner is one of this backend's windows, or nullptr.
    virtual int messageBox(BackendWindow* owner, const std::string& text,
                           const std::string& caption, UINT type) = 0;
    // Writes one line of the UI trace, if this backend keeps one.
    virtual void trace(const std::string& line) = 0;

    // A global hot key; presses are posted to hwnd as WM_HOTKEY. False when another client
    // holds the combination.
    virtual bool registerHotKey(HWND hwnd, int id, UINT modifiers, UINT virtualKey) = 0;
    virtual void unregisterHotKey(HWND hwnd, int id) = 0;
    // The notification-area icon; its mouse events are posted to data.hWnd as
    // data.uCallbackMessage (wParam the icon ID, lParam the mouse message).
    virtual bool addTrayIcon(const NOTIFYICONDATA& data) = 0;
    virtual bool removeTrayIcon(HWND hwnd, UINT id) = 0;
    // Shows a popup menu at a screen point and waits: the chosen command ID, 0 for none. The
    // owner is one of this backend's windows, or nullptr.
    virtual UINT trackPopupMenu(const Menu& menu, POINT at, BackendWindow* owner) = 0;
    virtual void setCursor(int systemCursorId) = 0;
    virtual POINT cursorPos() const = 0;
    // The background and text colours of every dialog and message box of the program.
    virtual void setDialogColors(COLORREF background, COLORREF text) = 0;
    // Whether the left mouse button is down now (GetAsyncKeyState(VK_LBUTTON)).
    virtual bool leftButtonDown() const = 0;
};

// The process's backend. Installed once by the program's start-up (or a test fixture).
Backend& backend();
void setBackend(std::unique_ptr<Backend> backend);
bool hasBackend();

// A pump that only waits for wake(); for threads without native events.
std::unique_ptr<EventPump> makeConditionPump();

}  // namespace platform
