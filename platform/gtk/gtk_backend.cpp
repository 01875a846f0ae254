#include "platform/gtk/gtk_backend.h"
#include "platform/gtk/gtk_dialog_colors.h"

#include <gtk/gtk.h>

#include <clocale>
#include <cstdlib>
#include <future>
#include <mutex>
#include <thread>

#include "platform/gtk/gtk_hot_keys.h"
#include "platform/gtk/gtk_message_box.h"
#include "platform/gtk/gtk_pointer.h"
#include "platform/gtk/gtk_popup_menu.h"
#include "platform/gtk/gtk_pump.h"
#include "platform/gtk/gtk_tray.h"
#include "platform/gtk/gtk_window.h"
#include "platform/ui_trace.h"

namespace platform {

namespace {

std::string envOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string noDisplayError() {
    const std::string display = envOrEmpty("DISPLAY");
    if (display.empty()) {
        return "vexo: cannot open a display (DISPLAY is not set); set DISPLAY, or run with "
               "VEXO_BACKEND=headless";
    }
    return "vexo: cannot open the display \"" + display +
           "\"; check DISPLAY, or run with VEXO_BACKEND=headless";
}

RECT toRect(const GdkRectangle& r) { return RECT{r.x, r.y, r.x + r.width, r.y + r.height}; }

GtkWindow* ownerWindow(BackendWindow* owner) {
    if (owner == nullptr) return nullptr;
    GtkWidget* top = gtk_widget_get_toplevel(static_cast<GtkNativeWindow*>(owner)->widget());
    return GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr;
}

class GtkBackend final : public Backend {
  public:
    GtkBackend() : thread_(std::this_thread::get_id()), trace_(envOrEmpty("VEXO_UI_TRACE")) {
        refreshMonitor();
    }

    std::string name() const override { return "gtk"; }

    std::unique_ptr<BackendWindow> createWindow(const NativeWindowSpec& request,
                                                BackendWindow* parent) override {
        return std::make_unique<GtkNativeWindow>(request, static_cast<GtkNativeWindow*>(parent));
    }

    std::unique_ptr<EventPump> createPump() override {
        return onGtkThread() ? makeGlibPump() : makeConditionPump();
    }

    RECT screenRect() const override { return monitor().screen; }
    RECT workArea() const override { return monitor().workArea; }

    int messageBox(BackendWindow* owner, const std::string& text, const std::string& caption,
                   UINT type) override {
        if (onGtkThread()) return runMessageBox(ownerWindow(owner), text, caption, type);
        return messageBoxOnGtkThread(text, caption, type);
    }

    void trace(const std::string& line) override { trace_.write(line); }

    bool registerHotKey(HWND hwnd, int id, UINT modifiers, UINT virtualKey) override {
        return onGtk([&] { return hotKeys_.add(hwnd, id, modifiers, virtualKey); });
    }
    void unregisterHotKey(HWND hwnd, int id) override {
        onGtk([&] { hotKeys_.remove(hwnd, id); });
    }
    bool addTrayIcon(const NOTIFYICONDATA& data) override {
        return onGtk([&] { return tray_.add(data); });
    }
    bool removeTrayIcon(HWND hwnd, UINT id) override {
        return onGtk([&] { return tray_.remove(hwnd, id); });
    }
    UINT trackPopupMenu(const Menu& menu, POINT at, BackendWindow*) override {
        return onGtk([&] { return runPopupMenu(menu, at); });
    }
    void setCursor(int systemCursorId) override {
        onGtk([&] { setPointerCursor(systemCursorId); });
    }
    POINT cursorPos() const override { return pointer().position; }
    bool leftButtonDown() const override { return pointer().leftDown; }
    void setDialogColors(COLORREF background, COLORREF text) override {
        onGtk([&] { applyDialogColors(background, text); });
    }

  private:
    struct Monitor {
        RECT screen;
        RECT workArea;
    };

    bool onGtkThread() const { return std::this_thread::get_id() == thread_; }

    // Runs `work` on the GTK thread, which alone may call GTK, while the calling thread waits.
    template <typename Work>
    auto onGtk(Work work) -> decltype(work()) {
        if (onGtkThread()) return work();
        std::packaged_task<decltype(work())()> task(std::move(work));
        auto result = task.get_future();
        // An idle source, as for message boxes: it runs when the GTK thread next waits.
        g_idle_add(
            [](gpointer data) -> gboolean {
                (*static_cast<decltype(task)*>(data))();
                return G_SOURCE_REMOVE;
            },
            &task);
        return result.get();
    }

    struct Pointer {
        POINT position;
        bool leftDown;
    };

    // Like the monitor: asked of the X server on the GTK thread, as last seen on others.
    Pointer pointer() const {
        if (onGtkThread()) {
            const Pointer now{pointerPosition(), pointerLeftButtonDown()};
            std::lock_guard lock(mutex_);
            pointer_ = now;
        }
        std::lock_guard lock(mutex_);
        return pointer_;
    }

    // GDK answers on its own thread only; other threads get what it said last.
    Monitor monitor() const {
        if (onGtkThread()) refreshMonitor();
        std::lock_guard lock(mutex_);
        return monitor_;
    }

    void refreshMonitor() const {
        GdkDisplay* display = gdk_display_get_default();
        GdkMonitor* primary = gdk_display_get_primary_monitor(display);
        // Without a primary monitor set (a bare X server), the first one is the screen.
        if (primary == nullptr) primary = gdk_display_get_monitor(display, 0);
        if (primary == nullptr) return;
        GdkRectangle geometry, workArea;
        gdk_monitor_get_geometry(primary, &geometry);
        gdk_monitor_get_workarea(primary, &workArea);
        std::lock_guard lock(mutex_);
        monitor_ = Monitor{toRect(geometry), toRect(workArea)};
    }

    // A box asked for by another thread is shown by the GTK thread; the caller waits, without
    // an owner window, since windows belong to the GTK thread.
    int messageBoxOnGtkThread(const std::string& text, const std::string& caption, UINT type) {
        struct Request {
            std::string text, caption;
            UINT type;
            std::promise<int> answer;
        } request{text, caption, type, {}};
        auto answer = request.answer.get_future();
        // An idle source, not g_main_context_invoke: that would run the box right here when
        // the GTK thread happens not to hold the main context.
        g_idle_add(
            [](gpointer data) -> gboolean {
                auto& r = *static_cast<Request*>(data);
                r.answer.set_value(runMessageBox(nullptr, r.text, r.caption, r.type));
                return G_SOURCE_REMOVE;
            },
            &request);
        return answer.get();
    }

    const std::thread::id thread_;
    UiTrace trace_;
    mutable std::mutex mutex_;
    mutable Monitor monitor_;
    mutable Pointer pointer_{};
    GtkHotKeys hotKeys_;
    GtkTrayIcons tray_;
};

}  // namespace

std::unique_ptr<Backend> createGtkBackend(std::string* error) {
    // Windows are placed at exact screen positions, which only X11 allows.
    gdk_set_allowed_backends("x11");
    if (!gtk_init_check(nullptr, nullptr)) {
        if (error) *error = noDisplayError();
        return nullptr;
    }
    // GTK took the user's locale for its texts; numbers keep being written the C way.
    std::setlocale(LC_NUMERIC, "C");
    return std::make_unique<GtkBackend>();
}

}  // namespace platform
