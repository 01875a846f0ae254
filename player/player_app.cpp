#include "player/player_app.h"

#include "platform/broadcast.h"
#include "platform/os/named_mutex.h"
#include "player/main_dlg.h"
#include "player/player_globals.h"
#include "resources/player_resources.h"
#include "shell/console_dialog.h"
#include "update/install/launcher_swap.h"

using namespace platform;

namespace {

// Held until the process ends.
std::unique_ptr<NamedMutex> g_instanceMutex;

}  // namespace

bool CPlayerApp::InitInstance(const std::vector<std::string>& args) {
    const UINT activation = activationMessage();
    g_instanceMutex = NamedMutex::create("KolvarMutexName");
    if (g_instanceMutex->alreadyExists()) {
        broadcastSystemMessage(activation, 0, 0);
        return false;
    }
    if (args.size() < 3 || args[2] != "-s") return false;
    if (args.size() > 3 && args[3] == "-c") openConsole(resources::playerResources());
    setMovieUrls(args[1]);
    setDialogBkColor(RGB(0, 0, 0), RGB(255, 0, 0));
    swapPendingLauncher({.logFound = true});
    receiveBroadcasts();
    MainDlg backdrop;
    backdrop.DoModal();
    return false;
}
