#include "update/manifest/release_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/os/file_exception.h"
#include "update/digest/file_digests.h"

namespace fs = std::filesystem;

namespace update {

namespace {

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

// Whether `path` (canonical) is `root` (canonical) or lies below it.
bool isInside(const fs::path& path, const fs::path& root) {
    const auto [rootEnd, pathAt] =
        std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return rootEnd == root.end();
}

// The file a directory entry stands for: itself, or the regular file inside the tree that a
// symbolic link leads to.
fs::path contentOf(const fs::directory_entry& entry, const fs::path& root) {
    const fs::path& path = entry.path();
    if (!entry.is_symlink()) {
        if (entry.is_regular_file()) return path;
        throw ReleaseError(path.string() + ": neither a file nor a folder");
    }
    std::error_code error;
    const fs::path target = fs::canonical(path, error);
    if (error) throw ReleaseError(path.string() + ": symbolic link that leads nowhere");
    if (!isInside(target, root)) {
        throw ReleaseError(path.string() + ": symbolic link that leads out of the release");
    }
    if (!fs::is_regular_file(target)) {
        throw ReleaseError(path.string() + ": symbolic link to something other than a file");
    }
    return target;
}

ReleaseFile describe(const fs::path& content, std::string name, bool withSha256) {
    ReleaseFile file;
    file.name = std::move(name);
    try {
        FileDigests digests = digestFile(content.string(), withSha256);
        file.md5 = std::move(digests.md5);
        file.sha256 = std::move(digests.sha256);
    } catch (const platform::FileException& e) {
        throw ReleaseError(e.what());
    }
    struct stat info {};
    if (::stat(content.c_str(), &info) != 0) {
        throw ReleaseError(content.string() + ": " + std::strerror(errno));
    }
    file.length = static_cast<std::uint64_t>(info.st_size);
    file.device = info.st_dev;
    file.inode = info.st_ino;
    return file;
}

}  // namespace

std::string releaseNameProblem(std::string_view name) {
    if (name.find('\\') != std::string_view::npos) {
        return "a backslash, which the update run reads as a folder separator";
    }
    if (std::any_of(name.begin(), name.end(), isControl)) return "a control character";
    if (name.find_first_of("?%") != std::string_view::npos) {
        return "\"?\" or \"%\", which a server reads as a query or an escape";
    }
    return {};
}

std::string markedFileProblem(const ReleaseFile& file, const FileMark& mark) {
    if (file.device == mark.device && file.inode == mark.inode) {
        return file.name + ": the secret key file itself (the same device and inode)";
    }
    if (!file.sha256.empty() && file.sha256 == mark.sha256) {
        return file.name + ": a copy of the secret key file";
    }
    return {};
}

std::vector<ReleaseFile> listReleaseFiles(const fs::path& root, const std::set<std::string>& skip,
                                          bool withSha256) {
    std::error_code error;
    const fs::path base = fs::canonical(root, error);
    if (error || !fs::is_directory(base)) throw ReleaseError(root.string() + ": not a folder");
    std::vector<ReleaseFile> files;
    fs::recursive_directory_iterator it(base, error), end;
    for (; !error && it != end; it.increment(error)) {
        if (it->is_directory() && !it->is_symlink()) continue;
        const std::string name = it->path().lexically_relative(base).generic_string();
        if (it.depth() == 0 && skip.contains(name)) continue;
        const std::string problem = releaseNameProblem(name);
        if (!problem.empty()) throw ReleaseError(it->path().string() + ": name holds " + problem);
        files.push_back(describe(contentOf(*it, base), name, withSha256));
    }
    if (error) throw ReleaseError(root.string() + ": " + error.message());
    std::sort(files.begin(), files.end(),
              [](const ReleaseFile& a, const ReleaseFile& b) { return a.name < b.name; });
    return files;
}

}  // namespace update
