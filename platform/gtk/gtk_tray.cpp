#include "platform/gtk/gtk_tray.h"

#include <gtk/gtk.h>

#include <algorithm>

#include "platform/gtk/gtk_input.h"
#include "platform/gtk/gtk_program_icon.h"
#include "platform/gtk/gtk_text.h"
#include "platform/messages.h"

// GtkStatusIcon is deprecated in favour of desktop-specific services, but it is what speaks
// the XEmbed tray protocol that X11 panels host.
G_GNUC_BEGIN_IGNORE_DEPRECATIONS

namespace platform {

namespace {

constexpr int kTrayIconSize = 32;

const GtkTrayIcons* g_current = nullptr;

UINT mouseMessageFor(const GdkEventButton& event, const void* icon) {
    const bool press = event.type == GDK_BUTTON_PRESS;
    if (event.button == GDK_BUTTON_PRIMARY) {
        if (!press) return WM_LBUTTONUP;
        return isDoubleClick(icon, event) ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
    }
    if (event.button == GDK_BUTTON_SECONDARY) return press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    return 0;
}

}  // namespace

struct GtkTrayIcons::Icon {
    HWND hwnd;
    UINT id;
    UINT message;
    GtkStatusIcon* status;

    // Mouse events on the icon go to the window as its callback message.
    static gboolean onButton(GtkStatusIcon*, GdkEventButton* event, gpointer data) {
        const auto& icon = *static_cast<const Icon*>(data);
        // GDK's own double-click events are not used: isDoubleClick decides on the press.
        if (event->type != GDK_BUTTON_PRESS && event->type != GDK_BUTTON_RELEASE) return TRUE;
        const UINT mouse = mouseMessageFor(*event, &icon);
        if (mouse != 0) postMessage(icon.hwnd, icon.message, icon.id, static_cast<LPARAM>(mouse));
        return TRUE;
    }
};

GtkTrayIcons::GtkTrayIcons() { g_current = this; }

GtkTrayIcons::~GtkTrayIcons() {
    while (!icons_.empty()) remove(icons_.back()->hwnd, icons_.back()->id);
    if (g_current == this) g_current = nullptr;
}

const GtkTrayIcons* GtkTrayIcons::current() { return g_current; }

bool GtkTrayIcons::add(const NOTIFYICONDATA& data) {
    if (find(data.hWnd, data.uID) != nullptr) return false;
    GtkStatusIcon* status = gtk_status_icon_new();
    GdkPixbuf* image =
        (data.uFlags & NIF_ICON) ? drawIcon(data.iconResource, kTrayIconSize) : nullptr;
    if (image) {
        gtk_status_icon_set_from_pixbuf(status, image);
        g_object_unref(image);
    }
    if (data.uFlags & NIF_TIP)
        gtk_status_icon_set_tooltip_text(status, validUtf8(data.szTip).c_str());
    const UINT message = (data.uFlags & NIF_MESSAGE) ? data.uCallbackMessage : 0;
    auto icon = std::make_unique<Icon>(Icon{data.hWnd, data.uID, message, status});
    if (message != 0) {
        g_signal_connect(status, "button-press-event", G_CALLBACK(Icon::onButton), icon.get());
        g_signal_connect(status, "button-release-event", G_CALLBACK(Icon::onButton), icon.get());
    }
    icons_.push_back(std::move(icon));
    return true;
}

bool GtkTrayIcons::remove(HWND hwnd, UINT id) {
    Icon* icon = find(hwnd, id);
    if (icon == nullptr) return false;
    // The icon leaves the tray when its last reference goes.
    g_signal_handlers_disconnect_by_data(icon->status, icon);
    g_object_unref(icon->status);
    std::erase_if(icons_, [&](const auto& i) { return i.get() == icon; });
    return true;
}

GtkTrayIcons::State GtkTrayIcons::state(HWND hwnd, UINT id) const {
    const Icon* icon = find(hwnd, id);
    if (icon == nullptr) return State{};
    gchar* tip = gtk_status_icon_get_tooltip_text(icon->status);
    State state{true, gtk_status_icon_is_embedded(icon->status) != FALSE, tip ? tip : ""};
    g_free(tip);
    GdkRectangle area{};
    if (gtk_status_icon_get_geometry(icon->status, nullptr, &area, nullptr))
        state.area = RECT{area.x, area.y, area.x + area.width, area.y + area.height};
    return state;
}

GtkTrayIcons::Icon* GtkTrayIcons::find(HWND hwnd, UINT id) const {
    for (const auto& icon : icons_)
        if (icon->hwnd == hwnd && icon->id == id) return icon.get();
    return nullptr;
}

}  // namespace platform

G_GNUC_END_IGNORE_DEPRECATIONS
