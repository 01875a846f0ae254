// vexo-make-manifest <release dir> <update-no> <no> [<flash-no>]: writes the remote manifest
// "version.xml" into a release directory for the update server, listing every file below it
// with its digest and length (docs/update.md).
#include <cstdio>
#include <exception>

#include "update/manifest_writer.h"

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: %s <release dir> <update-no> <no> [<flash-no>]\n", argv[0]);
        return 2;
    }
    const update::ReleaseVersion version{argv[2], argv[3], argc == 5 ? argv[4] : ""};
    const std::string problem = update::releaseVersionProblem(version);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s: %s\nusage: %s <release dir> <update-no> <no> [<flash-no>]\n",
                     argv[0], problem.c_str(), argv[0]);
        return 2;
    }
    try {
        const std::size_t count = update::writeReleaseManifest(argv[1], version);
        std::printf("wrote %s/version.xml: %zu file%s\n", argv[1], count, count == 1 ? "" : "s");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
}
