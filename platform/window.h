// A window: the portable model of a Win32 window and the object that handles its messages.
// Members keep the names of the framework's window class, so window code reads as it would
// there. The window's state (style, rectangle, parent, text, visibility) is held here; the
// backend only mirrors it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "controls/control_abi.h"
#include "platform/backend.h"
#include "platform/message_map.h"
#include "platform/os/win32.h"
#include "platform/region.h"

namespace platform {

class ControlContainer;

// A failed automation call on a hosted control (the framework's dispatch exception).
class DispatchException : public std::exception {
  public:
    explicit DispatchException(std::string description) : description_(std::move(description)) {}
    const char* what() const noexcept override { return description_.c_str(); }
    const std::string& description() const { return description_; }

  private:
    std::string description_;
};

class Window : private WindowDelegate {
  public:
    Window();
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND GetSafeHwnd() const { return hwnd_; }
    // The object of a window of the calling thread, or nullptr.
    static Window* FromHandle(HWND hwnd);

    // Creates the window. `rect` is in screen coordinates for a window without WS_CHILD and in
    // the parent's client coordinates for a child. WM_CREATE is sent before this returns.
    bool CreateEx(DWORD exStyle, std::string_view className, const std::string& windowName,
                  DWORD style, const RECT& rect, Window* parent, UINT id);
    // Destroys the window and its children (WM_DESTROY, then WM_NCDESTROY); the object stays.
    virtual bool DestroyWindow();

    DWORD GetStyle() const { return style_; }
    DWORD GetExStyle() const { return exStyle_; }
    LONG GetWindowLong(int index) const;
    LONG SetWindowLong(int index, LONG value);

    // Screen coordinates.
    RECT GetWindowRect() const;
    // Client coordinates: (0, 0) at the client area's top left.
    RECT GetClientRect() const;
    // The client area's top left in screen coordinates.
    POINT ClientOrigin() const;
    // `x`, `y` in the parent's client coordinates for a child, screen coordinates otherwise.
    void MoveWindow(int x, int y, int width, int height, bool repaint = true);
    void MoveWindow(const RECT& rect, bool repaint = true);

    // Returns whether the window was visible before. The show state (normal, minimised,
    // maximised) follows the command; SW_SHOW and SW_HIDE keep it. A maximised window fills
    // the work area; restoring it brings back its normal rectangle.
    bool ShowWindow(int command);
    WINDOWPLACEMENT GetWindowPlacement() const;
    // Sets the normal rectangle, then the show state as ShowWindow with placement.showCmd.
    bool SetWindowPlacement(const WINDOWPLACEMENT& placement);
    // Position, size and stacking: HWND_TOPMOST and HWND_NOTOPMOST change the topmost state;
    // SWP_NOMOVE, SWP_NOSIZE, SWP_SHOWWINDOW and SWP_HIDEWINDOW as in Win32.
    bool SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
    bool IsTopMost() const { return (exStyle_ & WS_EX_TOPMOST) != 0; }

    // The window's shape; the window owns `region` from now on (nullptr: its whole rectangle).
    int SetWindowRgn(HRGN region, bool redraw);
    const Region* GetWindowRgn() const { return region_.get(); }

    // The constant opacity of a window with WS_EX_LAYERED; false without that style.
    bool SetLayeredWindowAttributes(DWORD colorKey, std::uint8_t alpha, DWORD flags);
    // The alpha given last; 255 for a window never given one.
    std::uint8_t GetLayeredAlpha() const { return alpha_; }

    // Brings the top-level window to the front and activates it.
    bool SetForegroundWindow();
    static Window* GetForegroundWindow();
    // Mouse capture of the calling thread.
    Window* SetCapture();
    static bool ReleaseCapture();
    static Window* GetCapture();
    bool IsWindowVisible() const;

    // The parent of a child window, the owner of any other (as GetParent answers).
    Window* GetParent() const { return (style_ & WS_CHILD) ? parent_ : owner_; }
    Window* GetOwner() const { return owner_; }
    // Returns the previous parent. nullptr makes the window a top-level window.
    Window* SetParent(Window* parent);
    UINT GetDlgCtrlID() const { return id_; }
    Window* GetDlgItem(UINT id) const;

    void SetWindowText(const std::string& text);
    // The big (title bar, task switcher) or small (task bar) icon of the window; returns the one
    // it replaces. The window shows it from then on.
    HICON SetIcon(HICON icon, bool bigIcon);
    HICON GetIcon(bool bigIcon) const { return bigIcon ? bigIcon_ : smallIcon_; }
    const std::string& GetWindowText() const { return text_; }

    // Returns the window that had the focus, or nullptr.
    Window* SetFocus();
    static Window* GetFocus();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // Hosts the control registered under `clsid` in a new child window of `parent` with the
    // control ID `id`. False, and no window, when no library is registered for the class, the
    // library cannot be loaded or it does not give a control.
    bool CreateControl(std::string_view clsid, const std::string& windowName, DWORD style,
                       const RECT& rect, Window* parent, UINT id);
    bool HasControlSite() const { return container_ != nullptr; }
    // An automation call on the hosted control. Without a control it does nothing and returns
    // an empty value; a call the control fails throws DispatchException.
    control_abi::Variant InvokeHelper(DISPID dispid, control_abi::InvokeKind kind,
                                      const std::vector<control_abi::Variant>& params);

    // The message filter; true when the message was handled and must not be dispatched.
    virtual bool PreTranslateMessage(MSG* msg);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Routes an event of the control with ID `controlId` to this window's event sink table.
    // Returns whether a handler took it.
    bool OnControlEvent(UINT controlId, DISPID dispid, const EventArgs& args);

    // Width and height of the frame around the client area for a style: left, top (with the
    // caption), right, bottom.
    static RECT nonClientInsets(DWORD style);

    // The native side; nullptr before creation.
    BackendWindow* backendWindow() const { return native_.get(); }

  protected:
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone (WM_NCDESTROY).
    virtual void PostNcDestroy() {}
    virtual const MessageMap* GetMessageMap() const { return nullptr; }
    virtual const EventSinkMap* GetEventSinkMap() const { return nullptr; }
    // The kind of native window a backend makes for this object.
    virtual WindowKind nativeKind() const;

  private:
    void onNativeBoundsChanged(const RECT& bounds) override;
    // Takes a new window rectangle, tells the backend when the change did not come from it,
    // and sends WM_MOVE and WM_SIZE as the rectangle's parts change.
    void applyBounds(const RECT& rect, bool tellNative);
    void destroyTree();
    void applyShowCommand(int command);
    void systemCommand(WPARAM command);
    // The system's move (edge 0) or sizing loop (a WMSZ_* edge); returns when the button is
    // released.
    void runMoveSizeLoop(WPARAM edge);
    void followMouse(WPARAM edge, POINT start, const MINMAXINFO& limits);
    void maximize();
    void leaveShowState(bool wasMinimized, const RECT& rect, WPARAM sizeKind);
    void restoreNormal();
    void setVisibleFlag(bool visible);

    HWND hwnd_ = nullptr;
    DWORD style_ = 0;
    DWORD exStyle_ = 0;
    RECT rect_;  // screen coordinates, or parent-client coordinates for a child
    UINT id_ = 0;
    UINT showCmd_ = SW_SHOWNORMAL;
    RECT normalRect_;  // the rectangle of the normal show state
    std::unique_ptr<Region> region_;
    std::uint8_t alpha_ = 255;
    bool restoreToMaximized_ = false;
    std::string className_;
    std::string text_;
    HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
    Window* parent_ = nullptr;
    Window* owner_ = nullptr;
    std::vector<Window*> children_;
    std::vector<Window*> owned_;
    std::unique_ptr<BackendWindow> native_;
    std::unique_ptr<ControlContainer> container_;
};

}  // namespace platform
