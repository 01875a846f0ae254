// What a test sees of the control's web view from outside, as a user or the window system
// would: the view in the window, the navigations it is asked to decide, and real clicks.
#pragma once

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <string>
#include <vector>

namespace webmovie_test {

// The web view the control put in `container`, or nullptr.
WebKitWebView* webViewIn(GtkWidget* container);

// A left click at (x, y) of the view, delivered as the window system delivers the user's.
void clickAt(WebKitWebView* view, int x, int y);

// Records every navigation any web view of the process is asked to decide, and every window a
// page asks for, before the view's own handlers see them, for as long as it lives.
class NavigationWatch {
  public:
    NavigationWatch();
    ~NavigationWatch();
    NavigationWatch(const NavigationWatch&) = delete;
    NavigationWatch& operator=(const NavigationWatch&) = delete;

    // Whether a navigation to a URL containing `part` has been decided.
    bool sawTargetContaining(const std::string& part) const;

  private:
    static gboolean onEmission(GSignalInvocationHint*, guint count, const GValue* values,
                               gpointer self);

    guint decideSignal_ = 0, createSignal_ = 0;
    gulong decideHook_ = 0, createHook_ = 0;
    std::vector<std::string> targets_;
};

}  // namespace webmovie_test
