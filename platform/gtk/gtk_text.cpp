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

std::string shownListLine(const std::string& line) {
    if (line.size() <= kMaxShownLineBytes) return validUtf8(line);
    std::size_t cut = kMaxShownLineBytes;
    // Back to the first byte of a character; stray continuation bytes stop the walk at three.
    for (int step = 0; step < 3 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80; ++step)
        --cut;
    return validUtf8(line.substr(0, cut)) + " … [" + std::to_string(line.size() - cut) +
           " more bytes]";
}

}  // namespace platform
