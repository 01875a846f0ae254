// The one rule for the paths a manifest gives: a file's `name` below the installation directory
// and its `position` below the update server's path. Both come from the update server and must
// not reach outside.
#pragma once

#include <string>
#include <string_view>

namespace update {

// A relative path that stays below its base: no leading "/" or "\", no ".." component between
// "/" or "\" separators, no zero byte and no control character. An empty text is the base
// itself; `allowEmpty` says whether that is acceptable.
bool isContainedPath(std::string_view path, bool allowEmpty);

// The local form of a manifest name: "\" between folders becomes "/" (manifests written on
// Windows use either).
std::string localName(std::string_view name);

}  // namespace update
