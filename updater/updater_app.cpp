#include "updater/updater_app.h"

#include "platform/os/command_line.h"
#include "platform/os/process.h"
#include "update/install/launcher_swap.h"

std::string playerParameters(const std::vector<std::string>& args) {
    std::string parameters;
    for (const std::string& arg : args) parameters += platform::quoteArgument(arg) + " ";
    return parameters;
}

bool CUpdaterApp::InitInstance(const std::vector<std::string>& args) {
    swapPendingLauncher({});
    const std::vector<std::string> forwarded(args.empty() ? args.end() : args.begin() + 1,
                                             args.end());
    platform::shellExecute("VexoClientPlay.exe", playerParameters(forwarded));
    return false;
}
