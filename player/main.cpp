// VexoClientPlay.exe
#include <string>
#include <vector>

#include "platform/drawing_environment.h"
#include "platform/startup.h"
#include "player/player_app.h"

int main(int argc, char** argv) {
    platform::prepareDrawingEnvironment();
    if (!platform::installBackendFromEnvironment()) return 1;
    CPlayerApp app;
    app.InitInstance(std::vector<std::string>(argv, argv + argc));
    return 0;
}
