// VexoClient.exe
#include <string>
#include <vector>

#include "launcher/launcher_app.h"
#include "platform/drawing_environment.h"
#include "platform/startup.h"

int main(int argc, char** argv) {
    platform::prepareDrawingEnvironment();
    CLauncherApp app(platform::installBackendFromEnvironment);
    app.InitInstance(std::vector<std::string>(argv, argv + argc));
    endLauncherProcess(0);
}
