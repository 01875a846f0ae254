// flash_offer.exe <log file>: offers the movie control's installation on the headless backend,
// as the launcher does, with the debug log console open and its standard-output copy going to
// <log file>. Ends with 0 when the installer ran (the offer ends the process itself), with 10
// when the offer returned. Exit handlers print "exit handlers ran".
#include <cstdio>
#include <cstdlib>

#include "flash/flash_check.h"
#include "platform/headless/headless_backend.h"
#include "resources/launcher_resources.h"
#include "shell/console_dialog.h"

int main(int argc, char** argv) {
    if (argc != 2 || std::freopen(argv[1], "w", stdout) == nullptr) return 64;
    std::atexit([] { std::puts("exit handlers ran"); });
    platform::setBackend(platform::createHeadlessBackend());
    if (!openConsole(resources::launcherResources())) return 65;
    const bool result = offerFlashInstall();
    std::printf("offerFlashInstall returned %s\n", result ? "true" : "false");
    return 10;
}
