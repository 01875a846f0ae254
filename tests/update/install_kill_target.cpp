// Runs the install step of an update with an empty file list in the directory given as its
// argument: whatever "update/" holds is installed. The kill test stops it at random moments.
#include <unistd.h>

#include "platform/backend.h"
#include "platform/headless/headless_backend.h"
#include "update/update_manager.h"

int main(int argc, char** argv) {
    if (argc != 2 || chdir(argv[1]) != 0) return 2;
    platform::setBackend(platform::createHeadlessBackend());
    update::VersionInfo remote;
    remote.valid = true;
    update::UpdateManager manager;
    manager.setRemote(remote);
    return manager.runUpdate() ? 0 : 1;
}
