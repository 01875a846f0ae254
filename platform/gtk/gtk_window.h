// The native side of one window. A top-level window is a GtkWindow holding a GtkLayout; a
// child is a widget placed in its parent's layout: a GtkLayout of its own, a GtkEventBox for a
// hosted control (which fills it) or a scrolled GtkTreeView for a list box.
//
// Geometry follows the portable layer exactly. A window without a caption covers its whole
// window rectangle and draws no frame; its client area starts at the portable frame insets. A
// window with a caption is decorated by the window manager, which draws a frame of its own
// size, so the GtkWindow is the client area alone, placed (with static gravity) at the client
// origin the portable layer computes: what the portable layer calls the client area is what the
// screen shows, whatever frame the window manager adds around it.
#pragma once

#include <gtk/gtk.h>

#include <chrono>

#include "platform/backend.h"

namespace platform {

class GtkNativeWindow final : public BackendWindow {
  public:
    GtkNativeWindow(const NativeWindowSpec& request, GtkNativeWindow* parent);
    ~GtkNativeWindow() override;
    GtkNativeWindow(const GtkNativeWindow&) = delete;
    GtkNativeWindow& operator=(const GtkNativeWindow&) = delete;

    void setBounds(const RECT& bounds) override;
    void setVisible(bool visible) override;
    void setText(const std::string& text) override;
    void setIcon(UINT resource, bool big) override;
    void setParent(BackendWindow* parent, const RECT& bounds) override;
    void setFocus() override;
    void insertItem(int index, const std::string& text) override;
    // The GtkWindow of a top-level window, otherwise the widget placed in the parent.
    void* nativeHandle() override { return widget_; }
    void setShowState(UINT showCmd) override;
    void setTopmost(bool topmost) override;
    void setShape(const Region* region) override;
    void setOpacity(std::uint8_t alpha) override;
    // The widget keeps what the style at creation made of it.
    void setStyle(int, DWORD) override {}
    void activate() override;
    void setCapture(bool captured) override;
    bool beginMoveSize(WPARAM edge, POINT screenPoint, const MINMAXINFO& limits) override;

    HWND hwnd() const { return hwnd_; }
    WindowKind kind() const { return kind_; }
    GtkWidget* widget() const { return widget_; }
    // The tree view of a list box, nullptr for other kinds.
    GtkTreeView* listView() const { return list_; }
    // Where the client area's (0, 0) lies inside widget().
    POINT clientOffset() const;
    // The window whose widget is `widget` or encloses it, or nullptr.
    static GtkNativeWindow* enclosing(GtkWidget* widget);

  private:
    void makeTopLevel(const std::string& title);
    void connectTopLevelSignals();
    void makeChildWidget();
    void makeListBox();
    void applyTopLevelBounds();
    void attachToParent();
    void detachFromParent();
    void placeInParent();
    bool decorated() const;
    RECT nativeBounds() const;
    void noteConfigure();
    void reportNativeBounds();
    // Maps or unmaps a top-level window as visibility and show state say.
    void applyVisibility();
    void limitSize(const MINMAXINFO& limits);
    void unlimitSize();

    const WindowKind kind_;
    const HWND hwnd_;
    const DWORD style_;
    const RECT insets_;
    WindowDelegate* const delegate_;
    RECT bounds_;
    bool visible_ = false;
    bool minimized_ = false;
    // Fully transparent without a compositor to show it so: kept off the screen.
    bool transparent_ = false;
    // Minimised with no window manager to iconify it: kept off the screen instead.
    bool withdrawn_ = false;
    // The limits of the window manager's sizing loop are set as geometry hints.
    bool sizeLimited_ = false;
    GtkNativeWindow* parent_ = nullptr;
    GtkWidget* widget_ = nullptr;
    // Where children go: the layout of a top-level or child window; nullptr for the others.
    GtkWidget* surface_ = nullptr;
    UINT bigIcon_ = 0, smallIcon_ = 0;  // icon resources, 0 for none
    GtkTreeView* list_ = nullptr;
    GtkListStore* store_ = nullptr;
    // When this side last moved the window, and the timeout that looks again once the window
    // system has caught up.
    std::chrono::steady_clock::time_point requestedAt_;
    guint recheck_ = 0;
};

}  // namespace platform
