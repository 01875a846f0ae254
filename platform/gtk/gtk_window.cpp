#include "platform/gtk/gtk_window.h"

#include <algorithm>
#include <utility>

#include "platform/gtk/gtk_dialog_colors.h"
#include "platform/gtk/gtk_input.h"
#include "platform/gtk/gtk_program_icon.h"
#include "platform/gtk/gtk_text.h"
#include "platform/messages.h"

namespace platform {

namespace {

constexpr const char* kWindowKey = "vexo-native-window";

// A window moved by this side reaches its place in a few configure events; differences seen
// that soon are looked at again after this long rather than taken for the window manager's.
constexpr auto kSettleTime = std::chrono::milliseconds(300);

GtkWidget* newLayout() {
    GtkWidget* layout = gtk_layout_new(nullptr, nullptr);
    gtk_widget_set_can_focus(layout, TRUE);
    gtk_widget_show(layout);
    return layout;
}

// The GtkWindow a window belongs to, or nullptr for a child that has none (detached).
GtkWindow* toplevelOf(GtkWidget* widget) {
    GtkWidget* top = gtk_widget_get_toplevel(widget);
    return GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr;
}

}  // namespace

GtkNativeWindow::GtkNativeWindow(const NativeWindowSpec& request, GtkNativeWindow* parent)
    : kind_(request.kind),
      hwnd_(request.hwnd),
      style_(request.style),
      insets_(request.insets),
      delegate_(request.delegate),
      bounds_(request.bounds),
      parent_(parent) {
    if (kind_ == WindowKind::TopLevel) {
        makeTopLevel(request.text);
        if (request.exStyle & WS_EX_TOPMOST) setTopmost(true);
    } else {
        makeChildWidget();
        attachToParent();
    }
    g_object_set_data(G_OBJECT(widget_), kWindowKey, this);
}

GtkNativeWindow::~GtkNativeWindow() {
    releasePointer(this);
    if (recheck_ != 0) g_source_remove(recheck_);
    g_signal_handlers_disconnect_by_data(widget_, this);
    if (list_ != nullptr) g_signal_handlers_disconnect_by_data(list_, this);
    if (store_ != nullptr) g_object_unref(store_);
    gtk_widget_destroy(widget_);
    // Children hold a reference of their own, so that detaching them does not free them.
    if (kind_ != WindowKind::TopLevel) g_object_unref(widget_);
}

void GtkNativeWindow::makeTopLevel(const std::string& title) {
    widget_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(widget_);
    gtk_window_set_title(window, validUtf8(title).c_str());
    gtk_style_context_add_class(gtk_widget_get_style_context(widget_), kDialogStyleClass);
    gtk_window_set_decorated(window, decorated());
    // Only a sizing border lets a person resize the window.
    gtk_window_set_resizable(window, (style_ & WS_THICKFRAME) != 0);
    if (decorated()) gtk_window_set_gravity(window, GDK_GRAVITY_STATIC);
    if (parent_ != nullptr) gtk_window_set_transient_for(window, toplevelOf(parent_->widget_));
    surface_ = newLayout();
    gtk_container_add(GTK_CONTAINER(widget_), surface_);
    connectTopLevelSignals();
    applyTopLevelBounds();
}

void GtkNativeWindow::connectTopLevelSignals() {
    routeMouseInput(surface_, this, true);
    routeCapturedMouseInput(widget_);
    routeKeyInput(widget_);
    g_signal_connect(widget_, "delete-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) -> gboolean {
                         // The portable layer decides what closing means (WM_CLOSE).
                         postMessage(static_cast<GtkNativeWindow*>(self)->hwnd_, WM_CLOSE);
                         return TRUE;
                     }),
                     this);
    g_signal_connect(widget_, "configure-event",
                     G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) -> gboolean {
                         static_cast<GtkNativeWindow*>(self)->noteConfigure();
                         return FALSE;
                     }),
                     this);
}

void GtkNativeWindow::makeChildWidget() {
    if (kind_ == WindowKind::ListBox) {
        makeListBox();
    } else if (kind_ == WindowKind::ControlSite) {
        // A bin: the control's widget gets the whole allocation.
        widget_ = gtk_event_box_new();
        gtk_widget_set_can_focus(widget_, TRUE);
        routeControlSiteInput(widget_, this);
    } else {
        widget_ = surface_ = newLayout();
        routeMouseInput(widget_, this, true);
    }
    g_object_ref_sink(widget_);
}

void GtkNativeWindow::makeListBox() {
    store_ = gtk_list_store_new(1, G_TYPE_STRING);
    GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store_));
    list_ = GTK_TREE_VIEW(view);
    gtk_tree_view_set_headers_visible(list_, FALSE);
    gtk_tree_view_insert_column_with_attributes(list_, -1, "", gtk_cell_renderer_text_new(), "text",
                                                0, nullptr);
    widget_ = gtk_scrolled_window_new(nullptr, nullptr);
    GtkScrolledWindow* scrolled = GTK_SCROLLED_WINDOW(widget_);
    gtk_scrolled_window_set_overlay_scrolling(scrolled, FALSE);
    gtk_scrolled_window_set_shadow_type(scrolled,
                                        (style_ & WS_BORDER) ? GTK_SHADOW_IN : GTK_SHADOW_NONE);
    // LBS_DISABLENOSCROLL keeps the scroll bars when there is nothing to scroll.
    const GtkPolicyType policy =
        (style_ & LBS_DISABLENOSCROLL) ? GTK_POLICY_ALWAYS : GTK_POLICY_AUTOMATIC;
    gtk_scrolled_window_set_policy(scrolled, (style_ & WS_HSCROLL) ? policy : GTK_POLICY_NEVER,
                                   (style_ & WS_VSCROLL) ? policy : GTK_POLICY_NEVER);
    gtk_container_add(GTK_CONTAINER(widget_), view);
    gtk_widget_show(view);
    // The list view keeps its own clicks (selection); the list box hears of them too.
    routeMouseInput(view, this, false);
}

bool GtkNativeWindow::decorated() const {
    return kind_ == WindowKind::TopLevel && (style_ & WS_CAPTION) == WS_CAPTION;
}

POINT GtkNativeWindow::clientOffset() const {
    if (decorated()) return POINT{};
    return POINT{insets_.left, insets_.top};
}

GtkNativeWindow* GtkNativeWindow::enclosing(GtkWidget* widget) {
    for (; widget != nullptr; widget = gtk_widget_get_parent(widget)) {
        if (auto* found = g_object_get_data(G_OBJECT(widget), kWindowKey))
            return static_cast<GtkNativeWindow*>(found);
    }
    return nullptr;
}

void GtkNativeWindow::setBounds(const RECT& bounds) {
    bounds_ = bounds;
    if (kind_ == WindowKind::TopLevel)
        applyTopLevelBounds();
    else if (parent_ != nullptr)
        placeInParent();
}

void GtkNativeWindow::applyTopLevelBounds() {
    // The native window is the client area when the window manager draws the frame.
    RECT native = bounds_;
    if (decorated()) {
        native = RECT{bounds_.left + insets_.left, bounds_.top + insets_.top,
                      bounds_.right - insets_.right, bounds_.bottom - insets_.bottom};
    }
    const int width = std::max<int>(1, native.width());
    const int height = std::max<int>(1, native.height());
    requestedAt_ = std::chrono::steady_clock::now();
    // The size limits were the window manager's loop's; the portable layer sizes freely.
    unlimitSize();
    gtk_window_move(GTK_WINDOW(widget_), native.left, native.top);
    // A fixed-size window takes its size from its content; a resizable one is resized.
    if (style_ & WS_THICKFRAME)
        gtk_window_resize(GTK_WINDOW(widget_), width, height);
    else
        gtk_widget_set_size_request(surface_, width, height);
}

void GtkNativeWindow::setVisible(bool visible) {
    visible_ = visible;
    if (kind_ == WindowKind::TopLevel && visible) applyTopLevelBounds();
    applyVisibility();
}

void GtkNativeWindow::setText(const std::string& text) {
    if (kind_ == WindowKind::TopLevel)
        gtk_window_set_title(GTK_WINDOW(widget_), validUtf8(text).c_str());
}

void GtkNativeWindow::setIcon(UINT resource, bool big) {
    if (kind_ != WindowKind::TopLevel) return;
    (big ? bigIcon_ : smallIcon_) = resource;
    // One list for both: the window manager picks the size it shows where.
    GList* icons = nullptr;
    for (auto [icon, size] : {std::pair{smallIcon_, 16}, {bigIcon_, 32}, {bigIcon_, 48}}) {
        if (GdkPixbuf* image = drawIcon(icon, size)) icons = g_list_append(icons, image);
    }
    gtk_window_set_icon_list(GTK_WINDOW(widget_), icons);
    g_list_free_full(icons, g_object_unref);
}

void GtkNativeWindow::setParent(BackendWindow* parent, const RECT& bounds) {
    auto* next = static_cast<GtkNativeWindow*>(parent);
    bounds_ = bounds;
    if (kind_ == WindowKind::TopLevel) {
        // An owned window stays above its owner.
        parent_ = next;
        gtk_window_set_transient_for(GTK_WINDOW(widget_),
                                     next ? toplevelOf(next->widget_) : nullptr);
        applyTopLevelBounds();
        return;
    }
    detachFromParent();
    parent_ = next;
    attachToParent();
}

void GtkNativeWindow::attachToParent() {
    if (parent_ == nullptr || parent_->surface_ == nullptr) return;
    const POINT offset = parent_->clientOffset();
    gtk_layout_put(GTK_LAYOUT(parent_->surface_), widget_, bounds_.left + offset.x,
                   bounds_.top + offset.y);
    gtk_widget_set_size_request(widget_, std::max<int>(0, bounds_.width()),
                                std::max<int>(0, bounds_.height()));
    gtk_widget_set_visible(widget_, visible_);
}

void GtkNativeWindow::detachFromParent() {
    // The reference taken at creation keeps the widget (and a control's view in it) alive
    // while it has no parent; without one it is not on screen.
    GtkWidget* container = gtk_widget_get_parent(widget_);
    if (container != nullptr) gtk_container_remove(GTK_CONTAINER(container), widget_);
}

void GtkNativeWindow::placeInParent() {
    if (parent_ == nullptr || gtk_widget_get_parent(widget_) != parent_->surface_) return;
    const POINT offset = parent_->clientOffset();
    gtk_layout_move(GTK_LAYOUT(parent_->surface_), widget_, bounds_.left + offset.x,
                    bounds_.top + offset.y);
    gtk_widget_set_size_request(widget_, std::max<int>(0, bounds_.width()),
                                std::max<int>(0, bounds_.height()));
}

void GtkNativeWindow::setFocus() {
    GtkWidget* target = list_ ? GTK_WIDGET(list_) : (surface_ ? surface_ : widget_);
    gtk_widget_grab_focus(target);
    // Presenting would map a window that is off the screen (minimised, or transparent without
    // a compositor); on Windows focus keeps such a window's state.
    if (kind_ == WindowKind::TopLevel && gtk_widget_get_visible(widget_) && !minimized_)
        gtk_window_present(GTK_WINDOW(widget_));
}

void GtkNativeWindow::insertItem(int index, const std::string& text) {
    if (store_ == nullptr) return;
    gtk_list_store_insert_with_values(store_, nullptr, index, 0, shownListLine(text).c_str(), -1);
}

RECT GtkNativeWindow::nativeBounds() const {
    GdkWindow* window = gtk_widget_get_window(widget_);
    int x = 0, y = 0;
    gdk_window_get_origin(window, &x, &y);
    const int width = gdk_window_get_width(window);
    const int height = gdk_window_get_height(window);
    if (!decorated()) return RECT{x, y, x + width, y + height};
    return RECT{x - insets_.left, y - insets_.top, x + width + insets_.right,
                y + height + insets_.bottom};
}

void GtkNativeWindow::noteConfigure() {
    if (!gtk_widget_get_mapped(widget_)) return;
    if (std::chrono::steady_clock::now() - requestedAt_ >= kSettleTime) {
        reportNativeBounds();
        return;
    }
    if (recheck_ != 0) return;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(kSettleTime).count();
    recheck_ = g_timeout_add(
        static_cast<guint>(ms),
        [](gpointer self) -> gboolean {
            auto* window = static_cast<GtkNativeWindow*>(self);
            window->recheck_ = 0;
            window->reportNativeBounds();
            return G_SOURCE_REMOVE;
        },
        this);
}

void GtkNativeWindow::reportNativeBounds() {
    if (!gtk_widget_get_mapped(widget_)) return;
    const RECT now = nativeBounds();
    if (now == bounds_) return;
    bounds_ = now;
    // May destroy this window; nothing of it is used afterwards.
    if (delegate_ != nullptr) delegate_->onNativeBoundsChanged(now);
}

}  // namespace platform
