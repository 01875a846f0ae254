#include "tests/launcher/descendants.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "tests/support/program_run.h"

namespace launcher_test {

Descendants::Descendants() { prctl(PR_SET_CHILD_SUBREAPER, 1); }

Descendants::~Descendants() {
    for (pid_t child : children()) kill(child, SIGKILL);
    waitForAll(std::chrono::seconds(5));
}

bool Descendants::none() {
    bool none = true;
    for (;;) {
        const pid_t ended = waitpid(-1, nullptr, WNOHANG);
        if (ended > 0) {
            none = false;
            continue;
        }
        return none && ended < 0 && errno == ECHILD;
    }
}

bool Descendants::waitForAll(std::chrono::milliseconds timeout) {
    return test_support::waitUntil(
        [] {
            while (waitpid(-1, nullptr, WNOHANG) > 0) {
            }
            return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
        },
        timeout);
}

// Orphans are re-parented to some thread of this process: every thread's list counts.
std::vector<pid_t> Descendants::children() {
    std::vector<pid_t> result;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream list(task.path() / "children");
        for (pid_t pid = 0; list >> pid;) result.push_back(pid);
    }
    return result;
}

}  // namespace launcher_test
