// Case folding for the ASCII parts of URLs, host names and file extensions: the locale must not
// change how a scheme or a host compares.
#pragma once

#include <string>
#include <string_view>

namespace controls::webmovie {

char asciiLower(char c);
std::string asciiLowerCase(std::string_view text);

}  // namespace controls::webmovie
