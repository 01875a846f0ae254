#include "platform/gtk/gtk_dialog_colors.h"

#include <gtk/gtk.h>

#include <cstdio>
#include <string>

namespace platform {

namespace {

std::string cssColour(COLORREF colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF,
                  (colour >> 16) & 0xFF);
    return text;
}

}  // namespace

void applyDialogColors(COLORREF background, COLORREF text) {
    static GtkCssProvider* provider = nullptr;
    GdkScreen* screen = gdk_screen_get_default();
    if (screen == nullptr) return;
    if (provider == nullptr) {
        provider = gtk_css_provider_new();
        gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    }
    const std::string css = "." + std::string(kDialogStyleClass) + ", messagedialog, ." +
                            kDialogStyleClass +
                            " layout { background-color: " + cssColour(background) +
                            "; color: " + cssColour(text) + "; }";
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
}

}  // namespace platform
