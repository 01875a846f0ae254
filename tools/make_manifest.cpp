// vexo-make-manifest [--sign <secret key file>] [--files-under <folder>] <release dir> <update-no>
// <no> [<flash-no>]: writes the remote manifest "version.xml" into a release directory for the
// update server, listing every file below it (or, with --files-under, below that folder of it)
// with its digest and length; with --sign also each file's SHA-256 and the signature
// "version.xml.sig" (docs/update.md, docs/hosting.md).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>

#include "update/manifest/key_file.h"
#include "update/manifest/manifest_writer.h"
#include "update/manifest/release_folder.h"

namespace {

int usage(const char* program, const char* problem) {
    if (problem) std::fprintf(stderr, "%s: %s\n", program, problem);
    std::fprintf(
        stderr,
        "usage: %s [--sign <secret key file>] [--files-under <folder>] <release dir> <update-no> "
        "<no> [<flash-no>]\n"
        "  Writes <release dir>/version.xml (and with --sign version.xml.sig) listing every file\n"
        "  below <release dir>, the folder the update server serves at server.path.\n"
        "  --files-under <folder>: list only the files below <release dir>/<folder> (say\n"
        "  files/2.0.16/), each with <folder> as its position, so that every release keeps its\n"
        "  files at addresses of their own that a cache may keep for ever. Publishing:\n"
        "    1. copy the release's files into <release dir>/<folder>/ (a new folder each release)\n"
        "    2. run this tool: it writes version.xml, then version.xml.sig, beside <folder>\n"
        "  Older releases' folders stay where they are: clients still on them, and a roll-back,\n"
        "  need them. <folder> is relative, of letters, digits, '.', '-', '_', '~' and '/'.\n",
        program);
    return 2;
}

struct Options {
    const char* keyFile = nullptr;
    std::optional<std::string> filesUnder;  // given but empty is refused, not ignored
};

// Takes the options in front of the arguments, in any order; why they are wrong, or null.
const char* takeOptions(int& argc, char**& argv, Options& options) {
    while (argc >= 2 && argv[1][0] == '-' && argv[1][1] == '-') {
        const bool sign = std::strcmp(argv[1], "--sign") == 0;
        const bool under = std::strcmp(argv[1], "--files-under") == 0;
        if (!sign && !under) return "unknown option";
        if (argc < 3)
            return sign ? "--sign needs a secret key file" : "--files-under needs a folder";
        if (sign) options.keyFile = argv[2];
        if (under) options.filesUnder = argv[2];
        argc -= 2;
        argv += 2;
    }
    return nullptr;
}

// A secret key kept in the release would be listed and served to everyone. Its path is checked
// here, before the key is read; a link, hard link or copy of it under another name is refused by
// the listing, which knows the key file by its mark.
void refuseKeyInside(const std::filesystem::path& keyFile, const std::filesystem::path& release) {
    std::error_code keyError;
    std::error_code rootError;
    const std::filesystem::path key = std::filesystem::weakly_canonical(keyFile, keyError);
    const std::filesystem::path root = std::filesystem::weakly_canonical(release, rootError);
    if (keyError || rootError) return;  // reading the key or listing the release reports it
    if (std::mismatch(root.begin(), root.end(), key.begin(), key.end()).first == root.end()) {
        throw update::ReleaseError(keyFile.string() +
                                   ": the secret key lies inside the release folder");
    }
}

void reportWritten(const char* releaseDir, bool sign, std::size_t count,
                   const std::string& filesUnder) {
    const std::string under =
        filesUnder.empty() ? "" : " under " + update::releaseFolderPosition(filesUnder);
    std::printf("wrote %s/version.xml%s: %zu file%s%s\n", releaseDir,
                sign ? " and its signature" : "", count, count == 1 ? "" : "s", under.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const char* program = argv[0];
    Options options;
    if (const char* problem = takeOptions(argc, argv, options)) return usage(program, problem);
    const char* keyFile = options.keyFile;
    if (argc < 4 || argc > 5) return usage(program, nullptr);
    const update::ReleaseVersion version{argv[2], argv[3], argc == 5 ? argv[4] : ""};
    std::string problem = update::releaseVersionProblem(version);
    if (problem.empty() && options.filesUnder) {
        problem = update::releaseFolderProblem(*options.filesUnder);
        if (!problem.empty()) problem = "--files-under " + *options.filesUnder + ": " + problem;
    }
    const std::string filesUnder = options.filesUnder.value_or("");
    if (!problem.empty()) return usage(program, problem.c_str());
    try {
        std::optional<update::SecretKey> key;
        update::FileMark keyMark;
        if (keyFile) {
            refuseKeyInside(keyFile, argv[1]);
            key = update::readSecretKeyFile(keyFile, &keyMark);
        }
        const std::size_t count = update::writeReleaseManifest(
            argv[1], version, filesUnder, key ? &*key : nullptr, key ? &keyMark : nullptr);
        if (key) update::wipe(key->data(), key->size());
        reportWritten(argv[1], key.has_value(), count, filesUnder);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", program, e.what());
        return 1;
    }
}
