// VexoClientPlay.exe
#include <string>
#include <vector>

#include "platform/startup.h"
#include "player/player_app.h"

int main(int argc, char** argv) {
    if (!platform::installBackendFromEnvironment()) return 1;
    CPlayerApp app;
    app.InitInstance(std::vector<std::string>(argv, argv + argc));
    return 0;
}
