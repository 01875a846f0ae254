#include "launcher/startup_thread.h"

#include <chrono>

#include "launcher/launcher_app.h"
#include "platform/os/clock.h"

int StartupThread::run(std::int32_t) {
    // The object may be destroyed while this runs (InitInstance does not join it): nothing of
    // it is read after this line.
    CLauncherApp* const app = app_;
    checkThenClose([app] { return app->runStartupChecks(); }, [app] { app->splash().close(); });
    return 0;
}

void StartupThread::checkThenClose(const std::function<bool()>& checks,
                                   const std::function<void()>& closeSplash) {
    const auto start = platform::Clock::now();
    if (!checks()) return;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(platform::Clock::now() - start)
            .count();
    const std::int64_t remaining = kMinimumSplashMs - elapsed;
    if (remaining > 0 && !Thread::sleep(static_cast<std::uint32_t>(remaining))) return;
    closeSplash();
}
