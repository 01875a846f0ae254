#include "launcher/startup_thread.h"

#include <chrono>

#include "launcher/launcher_app.h"

int StartupThread::run(std::int32_t) {
    // The object may be destroyed while this runs (InitInstance does not join it): nothing of
    // it is read after this line.
    CLauncherApp* const app = app_;
    const auto start = std::chrono::steady_clock::now();
    if (!app->runStartupChecks()) return 0;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
    const std::int64_t remaining = kMinimumSplashMs - elapsed;
    if (remaining > 0 && !Thread::sleep(static_cast<std::uint32_t>(remaining))) return 0;
    app->splash().close();
    return 0;
}
