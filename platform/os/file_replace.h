// Writing a file by replacing it: the new content goes to a temporary file beside the target,
// is synced, and is renamed over the target, so readers see the old file or the whole new
// one, even after a crash or a power cut.
//
// The temporary file is created exclusively (O_CREAT | O_EXCL): never through a symbolic link
// and never over a file that is already there, so nothing planted under a guessable name can
// redirect the write. A target that is itself a link is replaced, not written through.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Creates `<target>.tmp-XXXXXX` (six random letters and digits) for writing, with mode 0666
// less the umask, as a new file would have. Returns its descriptor (close-on-exec) and sets
// `temporary`; -1 when no such file can be made.
int createTemporaryBeside(const std::string& target, std::string& temporary);

// Renames `temporary` over `target` when `written` (the caller has synced and closed it); in
// any other case, and when the rename fails, removes `temporary`. True when `target` now has
// the new content.
bool renameOver(const std::string& temporary, const std::string& target, bool written);

// The whole replacement, with `text` as the new content. False leaves `target` as it was.
// Without `sync` the new content is not forced to disk first: a crash then leaves the old file
// or the new one, but a power cut may leave an empty one, for files that may be lost.
bool replaceFileContent(const std::string& target, std::string_view text, bool sync = true);

// The whole replacement with a copy of the regular file `source` (opened without waiting), whose
// permission bits the new file gets, or `mode` when it is 0 or more. False leaves `target` as it
// was.
bool replaceFileWithCopy(const std::string& source, const std::string& target, int mode = -1);

}  // namespace platform
