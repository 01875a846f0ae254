// Which local files the movie scheme serves, and as what.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace controls::webmovie {

// The MIME type of a file by its extension (any case); application/octet-stream when unknown.
// Ruffle needs its .wasm as application/wasm.
std::string mimeTypeFor(std::string_view path);

// The file a URL path names (percent escapes decoded) when it lies inside one of the
// directories `roots`; nullopt for any other, or for a path with a `.` or `..` segment.
std::optional<std::string> fileInRoots(std::string_view urlPath,
                                       const std::vector<std::string>& roots);

// The directory part of an absolute path: "/a/b.swf" -> "/a", "/b.swf" -> "/".
std::string directoryOf(std::string_view path);

}  // namespace controls::webmovie
