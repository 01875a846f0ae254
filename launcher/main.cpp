// VexoClient.exe
#include <string>
#include <vector>

#include "launcher/launcher_app.h"
#include "platform/startup.h"

int main(int argc, char** argv) {
    if (!platform::installBackendFromEnvironment()) return 1;
    CLauncherApp app;
    app.InitInstance(std::vector<std::string>(argv, argv + argc));
    endLauncherProcess(0);
}
