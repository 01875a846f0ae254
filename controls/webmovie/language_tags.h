// The languages the movie pages are told the user prefers. Ruffle refuses to start without a
// valid one ("RangeError: invalid language tag" under the C locale).
#pragma once

#include <string>
#include <vector>

namespace controls::webmovie {

// Turns locale names ("zh_CN.UTF-8", "de_DE@euro", "C") into language tags ("zh-CN", "de-DE"),
// without duplicates, in order; C and POSIX are skipped and "en-US" closes the list.
std::vector<std::string> webLanguages(const std::vector<std::string>& localeNames);

}  // namespace controls::webmovie
