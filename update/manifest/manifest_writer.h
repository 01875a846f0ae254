// Writing the remote manifest of a release: what the publishing tool `vexo-make-manifest`
// puts on the update server as "version.xml" (format in docs/update.md).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "update/manifest/release_files.h"
#include "update/manifest/release_signature.h"

namespace update {

// The version a release is published as, in the texts the manifest carries.
struct ReleaseVersion {
    std::string updateNo;  // decimal, 0 to 2147483647
    std::string no;        // major.minor.build, each 0 to 2147483647
    std::string flashNo;   // major.minor, each 0 to 2147483647; empty for none
};

// Why `version` cannot be published, naming the argument at fault, or empty when it can.
std::string releaseVersionProblem(const ReleaseVersion& version);

// The remote manifest document for `version` and `files` in the order given, each file with
// `position` (and a `sha256` element when the file has that digest), as text with a declaration
// and four blanks of indent per level.
std::string manifestText(const ReleaseVersion& version, const std::vector<ReleaseFile>& files,
                         const std::string& position = {});

// Lists `releaseDir`, or with `filesUnder` (accepted by `releaseFolderProblem`) only the folder
// of that name inside it, which every entry then gives as its position (leaving out, directly in
// the folder listed, "version.xml", "version.xml.sig" and the temporary
// files "version.xml.tmp-XXXXXX" and "version.xml.sig.tmp-XXXXXX" a crashed run left), checks that
// the manifest reads back exactly as it was built, and writes it to "version.xml" in `releaseDir`,
// replacing the old one atomically. With `signingKey` every file also lists its SHA-256, and the
// key's signature of the manifest's bytes goes to "version.xml.sig" beside it, written atomically
// after the manifest (a launcher that reads the two between the renames finds them not matching and
// fails its check, once). With `keyFile`, the mark of the file the signing key was read from, a
// release holding that file under any name is refused, and with `signingKey` one holding a copy.
// Returns the number of files listed. Throws `ReleaseError` when the version or the folder is
// refused, the folder is missing, the listing fails (see `listReleaseFiles`), the release holds the
// key file, the text would not read back, or a file cannot be written; the old manifest then stays
// as it was unless only the signature could not be written.
std::size_t writeReleaseManifest(const std::filesystem::path& releaseDir,
                                 const ReleaseVersion& version, const std::string& filesUnder = {},
                                 const SecretKey* signingKey = nullptr,
                                 const FileMark* keyFile = nullptr);

}  // namespace update
