// VexoClient.exe: single instance, configuration, splash, start-up checks on a worker thread,
// start report, and the hand-off to the player or the updater.
//
// `InitInstance` runs on the main thread and returns when the splash's modal run has ended;
// `runStartupChecks` runs on the `StartupThread`, which starts as soon as the configuration is
// read, while the main thread starts the window system. The two flags are written by the worker
// before it closes the splash and read by the main thread only after the modal run. The
// launcher never outlives `InitInstance`: `main` ends the process as soon as it returns.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/event.h"
#include "launcher/splash_link.h"
#include "platform/os/named_mutex.h"
#include "update/config/server_config.h"
#include "update/update_manager.h"

class CLauncherApp {
  public:
    // `startWindowSystem` installs the window backend on the calling thread, which becomes the
    // thread of the launcher's windows; false when there is none (it has said why). It is called
    // once, on the main thread, when the launcher first needs windows.
    explicit CLauncherApp(std::function<bool()> startWindowSystem)
        : startWindowSystem_(std::move(startWindowSystem)) {}

    // The whole start-up; `args` is the command line (program name first). Returns whether
    // another program was started. Without a window system the process ends here, with exit
    // code 1.
    bool InitInstance(const std::vector<std::string>& args);
    // Worker thread: version check, update, movie control test and start report. True when
    // the hand-off may go ahead.
    bool runStartupChecks();
    // Worker thread: the client start report; true when the log server answered 2xx.
    bool reportClientStart();
    // Lets go of the single-instance mutex so that a program started next can take it.
    void closeInstanceMutex();

    SplashLink& splash() { return splashLink_; }
    update::UpdateManager& updateManager() { return m_updateManager; }
    bool readyToLaunch() const { return m_bReadyToLaunch; }
    bool startUpdater() const { return m_bStartUpdater; }

  private:
    bool initialise(const std::vector<std::string>& args);
    bool runStartup();
    void openWindowSystem();
    void runSplash();
    bool runUpdateChecks();
    void runUpdate(bool flashDue);
    // Worker thread: returns once the main thread has the window system up, which message boxes
    // need.
    void awaitWindowSystem();
    void handOff();

    std::function<bool()> startWindowSystem_;
    // Set for good once the window system is up.
    Event windowSystemUp_;
    update::UpdateManager m_updateManager;
    std::atomic<bool> m_bReadyToLaunch{false};
    std::atomic<bool> m_bStartUpdater{false};
    std::unique_ptr<platform::NamedMutex> m_hInstanceMutex;
    SplashLink splashLink_;
    bool consoleSwitch_ = false;
    // The administrator's settings file and what it says, read before the worker starts and only
    // read afterwards.
    std::string settingsPath_;
    bool selfUpdate_ = true;
    update::ServerConfig server_;  // loaded, like selfUpdate_, before the worker starts
};

// Ends the launcher at once with `code`, after flushing its output. Threads that still run
// (a worker the user did not wait for) end with it and never see the objects go.
[[noreturn]] void endLauncherProcess(int code);
