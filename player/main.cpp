// VexoClientPlay.exe
#include <cstdio>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "player/player_app.h"

int main(int argc, char** argv) {
    std::string error;
    auto backend = platform::createBackendFromEnvironment(&error);
    if (!backend) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    platform::setBackend(std::move(backend));
    CPlayerApp app;
    app.InitInstance(std::vector<std::string>(argv, argv + argc));
    return 0;
}
