// vexo-make-manifest [--sign <secret key file>] <release dir> <update-no> <no> [<flash-no>]:
// writes the remote manifest "version.xml" into a release directory for the update server,
// listing every file below it with its digest and length; with --sign also each file's SHA-256
// and the signature "version.xml.sig" (docs/update.md).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>

#include "update/key_file.h"
#include "update/manifest_writer.h"

namespace {

int usage(const char* program, const char* problem) {
    if (problem) std::fprintf(stderr, "%s: %s\n", program, problem);
    std::fprintf(stderr,
                 "usage: %s [--sign <secret key file>] <release dir> <update-no> <no> "
                 "[<flash-no>]\n",
                 program);
    return 2;
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

}  // namespace

int main(int argc, char** argv) {
    const char* program = argv[0];
    const char* keyFile = nullptr;
    if (argc >= 2 && std::strcmp(argv[1], "--sign") == 0) {
        if (argc < 3) return usage(program, "--sign needs a secret key file");
        keyFile = argv[2];
        argc -= 2;
        argv += 2;
    }
    if (argc < 4 || argc > 5) return usage(program, nullptr);
    const update::ReleaseVersion version{argv[2], argv[3], argc == 5 ? argv[4] : ""};
    const std::string problem = update::releaseVersionProblem(version);
    if (!problem.empty()) return usage(program, problem.c_str());
    try {
        std::optional<update::SecretKey> key;
        update::FileMark keyMark;
        if (keyFile) {
            refuseKeyInside(keyFile, argv[1]);
            key = update::readSecretKeyFile(keyFile, &keyMark);
        }
        const std::size_t count = update::writeReleaseManifest(
            argv[1], version, key ? &*key : nullptr, key ? &keyMark : nullptr);
        if (key) update::wipe(key->data(), key->size());
        std::printf("wrote %s/version.xml%s: %zu file%s\n", argv[1],
                    key ? " and its signature" : "", count, count == 1 ? "" : "s");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", program, e.what());
        return 1;
    }
}
