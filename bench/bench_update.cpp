// One update run in an installation directory, as the launcher makes it: bench_update DIR.
// Reads DIR/config.properties, recovers the update folder as a start does, fetches the remote
// manifest from the server it names, reads the local one and runs the download and install phases
// whether or not the update numbers differ. Exit status 0 when the run succeeded, 1 when it failed,
// 2 for a bad argument.
#include <unistd.h>

#include <cstdio>

#include "flash/flash_check.h"
#include "platform/backend.h"
#include "platform/headless/headless_backend.h"
#include "update/config/server_config.h"
#include "update/update_manager.h"

int main(int argc, char** argv) {
    if (argc != 2 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: %s INSTALLATION_DIR\n", argv[0]);
        return 2;
    }
    platform::setBackend(platform::createHeadlessBackend());
    update::UpdateManager manager;
    const std::optional<update::ServerConfig> server = update::loadServerConfig();
    if (!server) return 1;
    manager.recover();
    if (!manager.loadVersions(*server)) return 1;
    const update::VersionInfo& remote = manager.remote();
    const bool flashDue = needFlashInstall({remote.flashMajor, remote.flashMinor});
    return manager.runUpdate(*server, flashDue) == update::RunResult::installed ? 0 : 1;
}
