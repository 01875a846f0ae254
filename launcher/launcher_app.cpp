#include "launcher/launcher_app.h"

#include <unistd.h>

#include <cstdio>

#include "common/console.h"
#include "flash/flash_check.h"
#include "launcher/client_start_report.h"
#include "launcher/splash_dlg.h"
#include "launcher/startup_thread.h"
#include "launcher/system_settings.h"
#include "launcher/update_failure_message.h"
#include "platform/broadcast.h"
#include "platform/dialog.h"
#include "platform/message_box.h"
#include "platform/os/command_line.h"
#include "platform/os/process.h"
#include "platform/os/sockets.h"
#include "platform/registered_message.h"
#include "resources/launcher_resources.h"
#include "shell/console_dialog.h"
#include "update/config/server_config.h"

using namespace platform;

bool CLauncherApp::InitInstance(const std::vector<std::string>& args) {
    const UINT activation = registerWindowMessage("{BFDAE28B-944B-41AE-8865-BABE276E118B}");
    m_hInstanceMutex = NamedMutex::create("KolvarMutexName");
    if (m_hInstanceMutex && m_hInstanceMutex->alreadyExists()) {
        broadcastSystemMessage(activation, 0, 0);
        return false;
    }
    if (!initialise(args) || !runStartup()) return false;
    handOff();
    return true;
}

bool CLauncherApp::initialise(const std::vector<std::string>& args) {
    if (!AfxSocketInit()) {
        openWindowSystem();
        AfxMessageBox(
            std::string(resources::launcherResources().string(resources::IDS_SOCKETS_INIT_FAILED)));
        return false;
    }
    const std::optional<update::ServerConfig> server = update::loadServerConfig();
    if (!server) {
        openWindowSystem();
        AfxMessageBox("初始化失败，配置文件异常!");
        return false;
    }
    server_ = *server;
    settingsPath_ = launcher::systemSettingsPath();
    selfUpdate_ = launcher::loadSystemSettings(settingsPath_).selfUpdate;
    consoleSwitch_ = args.size() >= 2 && args[1] == "-c";
    // The worker logs while the window system starts: its lines wait for the console's window.
    if (consoleSwitch_) keepConsoleLines();
    return true;
}

// The worker's checks, and its 2000 ms, begin at once; meanwhile this thread starts the window
// system and then shows the splash until the worker closes it. True when the worker found the
// hand-off ready.
bool CLauncherApp::runStartup() {
    StartupThread worker(this);
    worker.start(0);
    openWindowSystem();
    if (consoleSwitch_) openConsole(resources::launcherResources());
    setDialogBkColor(RGB(0, 0, 0), RGB(255, 0, 0));
    runSplash();
    // Destroying the worker interrupts it, if it still runs, without waiting.
    return m_bReadyToLaunch;
}

void CLauncherApp::openWindowSystem() {
    // Without windows the launcher cannot go on; the worker ends with the process.
    if (!startWindowSystem_()) endLauncherProcess(1);
    windowSystemUp_.setForGood();
}

void CLauncherApp::runSplash() {
    SplashDlg splash(this);
    m_updateManager.setSplash(&splash);
    splashLink_.attach(&splash);
    splash.DoModal();
    // From here the worker, if it still runs, reaches no splash.
    splashLink_.detach();
    m_updateManager.setSplash(nullptr);
}

void CLauncherApp::awaitWindowSystem() { windowSystemUp_.wait(Event::kInfinite); }

void CLauncherApp::handOff() {
    closeInstanceMutex();
    // The URL is quoted when it needs it, so a path with a blank reaches the player whole.
    const std::string parameters =
        quoteArgument(update::clientMovieUrl(server_)) + (consoleSwitch_ ? " -s -c" : " -s");
    shellExecute(m_bStartUpdater ? "VexoClientUpdater.exe" : "VexoClientPlay.exe", parameters);
}

bool CLauncherApp::runStartupChecks() {
    m_updateManager.recover();
    if (!selfUpdate_) {
        consoleLogf("self-update is off (%s): no update check", settingsPath_);
    } else if (!runUpdateChecks()) {
        return false;
    }
    reportClientStart();
    m_bReadyToLaunch = true;
    return true;
}

// The version check, the update run and the movie control test; false when start-up ends.
bool CLauncherApp::runUpdateChecks() {
    if (!m_updateManager.loadVersions(server_)) {
        splashLink_.failMess("1");
        return false;
    }
    const bool updateDue = m_updateManager.needsUpdate();
    const update::VersionInfo& remote = m_updateManager.remote();
    const bool flashDue = needFlashInstall({remote.flashMajor, remote.flashMinor});
    if (updateDue || flashDue) {
        runUpdate(flashDue);
        m_bStartUpdater = true;
        if (flashDue) {
            awaitWindowSystem();  // the offer asks in a message box
            if (!offerFlashInstall()) {
                splashLink_.close();
                return false;
            }
        }
    }
    return true;
}

// The run, the box of a failure the user must hear of, and the local manifest of an installed
// release. `flashDue`: the movie control test's answer, passed on so that it runs only once.
void CLauncherApp::runUpdate(bool flashDue) {
    const update::RunResult result = m_updateManager.runUpdate(server_, flashDue);
    if (const std::optional<std::string> message = launcher::updateFailureMessage(result)) {
        awaitWindowSystem();
        AfxMessageBox(*message, MB_OK);
    }
    if (result == update::RunResult::installed) m_updateManager.writeLocalVersion();
}

bool CLauncherApp::reportClientStart() { return launcher::sendClientStartReport(); }

void CLauncherApp::closeInstanceMutex() {
    if (m_hInstanceMutex) m_hInstanceMutex->close();
    m_hInstanceMutex.reset();
}

void endLauncherProcess(int code) {
    std::fflush(nullptr);
    _exit(code);
}
