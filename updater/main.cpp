// VexoClientUpdater.exe
#include <string>
#include <vector>

#include "updater/updater_app.h"

// No window and no console: the updater needs no backend, so it runs without a display.
int main(int argc, char** argv) {
    CUpdaterApp app;
    app.InitInstance(std::vector<std::string>(argv, argv + argc));
    return 0;
}
