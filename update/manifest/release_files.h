// The files of a release directory, as the publishing tool lists them in a remote manifest:
// every regular file below the directory, named relative to it, with its digest and length.
#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace update {

// Why a release cannot be listed or written; the message names the entry at fault.
class ReleaseError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct ReleaseFile {
    std::string name;    // relative to the release directory, "/" between folders
    std::string md5;     // 32 lower-case hexadecimal digits
    std::string sha256;  // 64 lower-case hexadecimal digits, or empty when not asked for
    std::uint64_t length = 0;
    std::uint64_t device = 0;  // st_dev and st_ino of the file whose content is listed
    std::uint64_t inode = 0;
};

// How a file kept out of every release (the publisher's secret key) is recognized among the
// listed files: the same file, which hard links and links followed reach too, or the same bytes.
struct FileMark {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::string sha256;  // of the whole content, as ReleaseFile::sha256
};

// Why `file` is the file `mark` stands for, naming the entry, or empty when it is not. The
// content is compared only when `file` lists its SHA-256.
std::string markedFileProblem(const ReleaseFile& file, const FileMark& mark);

// Why `name` cannot be carried by a manifest and fetched under it by the update run, or empty
// when it can. Refused: a backslash (the update run reads it as a folder separator), control
// characters, and "?" and "%", which a server would read as the start of a query or an escape.
std::string releaseNameProblem(std::string_view name);

// Every regular file below `root`, sorted bytewise by name, leaving out the files directly in
// `root` whose names are in `skip`; with `withSha256` each file's SHA-256 is taken as well. A
// symbolic link to a regular file inside the tree is listed under its own name with the content it
// leads to. Throws `ReleaseError` for a symbolic link that leads out of the tree, to a directory or
// nowhere, for any entry that is neither a file nor a folder (a fifo would hang the digest), for a
// name `releaseNameProblem` refuses, and for a file or folder that cannot be read.
std::vector<ReleaseFile> listReleaseFiles(const std::filesystem::path& root,
                                          const std::set<std::string>& skip = {},
                                          bool withSha256 = false);

}  // namespace update
