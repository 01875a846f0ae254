// The launcher's start-up worker: runs the checks, keeps the splash up for at least 2000 ms
// from its start, then closes it. It starts before the window system does, so the splash may
// not exist yet when it asks for something (launcher/splash_link.h).
#pragma once

#include <cstdint>
#include <functional>

#include "common/thread.h"

class CLauncherApp;

class StartupThread : public Thread {
  public:
    static constexpr std::int64_t kMinimumSplashMs = 2000;

    explicit StartupThread(CLauncherApp* app) : app_(app) {}

    // Reaches the splash only through the application's link: the main thread detaches it
    // before the splash goes, and an interrupted wait (the user closed the splash) ends the
    // worker without closing anything.
    int run(std::int32_t argument) override;

    // The worker's course on the calling thread: `checks`; when they pass, the rest of
    // kMinimumSplashMs from their start on the process clock (platform/os/clock.h), then
    // `closeSplash`. An interrupted wait ends it without closing.
    static void checkThenClose(const std::function<bool()>& checks,
                               const std::function<void()>& closeSplash);

  private:
    CLauncherApp* app_;
};
