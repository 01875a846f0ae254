// The launcher's update work without its windows, in the installation given as the first
// argument, against the update server of its config.properties:
//   run      what a start does: recovery, the version check and, when due, the update;
//   recover  only what a start does before anything else uses "update/".
// The kill test stops "run" at random moments and then looks at what "recover" leaves.
#include <unistd.h>

#include <string>

#include "flash/flash_check.h"
#include "platform/backend.h"
#include "platform/headless/headless_backend.h"
#include "update/config/server_config.h"
#include "update/update_manager.h"

int main(int argc, char** argv) {
    if (argc != 3 || chdir(argv[1]) != 0) return 2;
    platform::setBackend(platform::createHeadlessBackend());
    const std::optional<update::ServerConfig> server = update::loadServerConfig();
    if (!server) return 2;
    update::UpdateManager manager;
    manager.recover();
    if (std::string(argv[2]) == "recover") return 0;
    if (!manager.loadVersions(*server)) return 1;
    if (!manager.needsUpdate()) return 0;
    const update::VersionInfo& remote = manager.remote();
    const bool flashDue = needFlashInstall({remote.flashMajor, remote.flashMinor});
    if (manager.runUpdate(*server, flashDue) != update::RunResult::installed) return 1;
    manager.writeLocalVersion();
    return 0;
}
