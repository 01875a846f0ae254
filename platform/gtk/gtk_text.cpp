#include "platform/gtk/gtk_text.h"

#include <glib.h>

namespace platform {

std::string validUtf8(const std::string& text) {
    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return text;
    gchar* fixed = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    std::string result(fixed);
    g_free(fixed);
    return result;
}

}  // namespace platform
