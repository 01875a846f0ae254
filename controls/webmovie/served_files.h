// What a path of the movie scheme names, and as what it is served.
#pragma once

#include <string>
#include <string_view>

namespace controls::webmovie {

// The control's own paths; anything else is a local file, named by its absolute path.
constexpr const char* kPlayerPath = "/.webmovie/player.html";
constexpr const char* kRufflePath = "/.webmovie/ruffle/";

struct ServedPath {
    enum class Kind { None, PlayerPage, RuffleFile, MovieFile };
    Kind kind = Kind::None;
    // RuffleFile: the file's name; MovieFile: its path below the movie's folder ("sub/a.png").
    // Either may be handed to Folder::openFile as it is.
    std::string relative;
};

// The MIME type of a file by its extension (any case); application/octet-stream when unknown.
// Ruffle needs its .wasm as application/wasm.
std::string mimeTypeFor(std::string_view path);

// What the path of a movie scheme URL (after the host, without query) names. A local file is
// named by its absolute path, percent escapes decoded; it is a MovieFile only when that path lies
// below `folder`, the absolute path of the movie's folder ("" when there is none), without an
// empty, "." or ".." segment and without NUL. Ruffle's files are one segment, not hidden. Kind
// None for anything else. The text decides alone: the file system is reached only through the
// folder (see Folder), so links in it lead nowhere.
ServedPath resolveServedPath(std::string_view urlPath, std::string_view folder);

// The directory part of an absolute path: "/a/b.swf" -> "/a", "/b.swf" -> "/".
std::string directoryOf(std::string_view path);

}  // namespace controls::webmovie
