// Texts handed to GTK, which takes nothing but valid UTF-8.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// `text` itself when it is valid UTF-8; otherwise a copy with the bad bytes replaced.
std::string validUtf8(const std::string& text);

// The most of a list box line that is drawn. Pango lays out and shapes a line whole each time
// the list measures or draws it, so a line of megabytes would take seconds and gigabytes every
// time; a line this long still shows everything a person reads on screen.
constexpr std::size_t kMaxShownLineBytes = 4096;

// What a list box shows of `line`: the line as valid UTF-8 when it has at most
// kMaxShownLineBytes bytes; otherwise its first kMaxShownLineBytes bytes or fewer, cut before a
// character, and " … [N more bytes]" naming how much of the line is not shown.
std::string shownListLine(const std::string& line);

}  // namespace platform
