// The folder a release's files are published under on the update server, below the folder of
// the manifest: every file entry gives it as its `position`, so each release's files keep URLs
// of their own that never change, and a cache may keep them for ever.
#pragma once

#include <string>
#include <string_view>

namespace update {

// Why `folder` cannot hold a release's files, or empty when it can. Accepted: a relative path
// of one or more segments joined by "/", with or without a "/" at its end, each segment made
// of letters, digits and ".", "-", "_", "~" only (what a URL carries as it is, so the path the
// launcher sends is the path the server finds), and none of them "." or "..". Its first segment
// may not be the name of the manifest or of its signature, which lie beside it.
std::string releaseFolderProblem(std::string_view folder);

// `folder` (accepted by `releaseFolderProblem`) as a position: ending in "/", since the launcher
// puts the position directly before the file's name.
std::string releaseFolderPosition(std::string_view folder);

}  // namespace update
