// vexo-client [arguments for the launcher]: the command a system package puts on the PATH. The
// package's copy of the client is read-only and cannot update itself, so the client runs from
// the user's own installation ($XDG_DATA_HOME/vexo/client), which this seeds from the copy (in
// ../lib/vexo-client beside this program) when it is missing or older than the package's,
// with the movie control registered in the user's registry file. The launcher then runs there,
// in place of this process, with the arguments given.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/os/registry.h"
#include "starter/seeding.h"
#include "tools/control_registration.h"

namespace {
namespace fs = std::filesystem;

fs::path packageCopy() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return (self.parent_path() / ".." / "lib" / "vexo-client").lexically_normal();
}

bool seeded(const starter::SeedParams& params) {
    const starter::SeedResult result = starter::seedInstallation(params);
    if (!result.error.empty()) {
        std::fprintf(stderr, "vexo-client: %s\n", result.error.c_str());
        if (!starter::installationWhole(params.installation)) return false;
        std::fprintf(stderr, "vexo-client: starting the installation in %s as it is\n",
                     params.installation.c_str());
    } else if (result.outcome != starter::SeedOutcome::Current) {
        std::printf("vexo-client: %s %s from %s\n",
                    result.outcome == starter::SeedOutcome::Seeded ? "set up" : "renewed",
                    params.installation.c_str(), params.seed.c_str());
    }
    return true;
}

// The control registered once; a start that finds it registered leaves the registry alone.
void registerControlOf(const fs::path& installation) {
    const std::string library = (installation / "libwebmovie.so").string();
    if (controlRegistered(library, kFlashControlClsid)) return;
    registerControl("vexo-client", library, kFlashControlClsid);
}

}  // namespace

int main(int argc, char** argv) {
    const starter::SeedParams params{packageCopy(),
                                     fs::path(platform::userDataDirectory()) / "client"};
    if (!seeded(params)) return 1;
    registerControlOf(params.installation);
    std::fflush(stdout);
    const fs::path launcher = params.installation / "VexoClient.exe";
    if (::chdir(params.installation.c_str()) != 0) {
        std::fprintf(stderr, "vexo-client: cannot enter %s: %s\n", params.installation.c_str(),
                     std::strerror(errno));
        return 1;
    }
    std::vector<char*> arguments{const_cast<char*>("VexoClient.exe")};
    arguments.insert(arguments.end(), argv + 1, argv + argc);
    arguments.push_back(nullptr);
    ::execv(launcher.c_str(), arguments.data());
    std::fprintf(stderr, "vexo-client: cannot start %s: %s\n", launcher.c_str(),
                 std::strerror(errno));
    return 1;
}
