// Runs a built program as its own process, in a directory of its own, with extra environment
// variables, and waits for it with a time limit.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

class ProgramRun {
  public:
    // With `stdoutPath` (`stderrPath`), the program's standard output (error) goes to that file,
    // made anew; without, it shares the test's.
    ProgramRun(const std::string& program, const std::vector<std::string>& args,
               const std::string& workingDirectory, const std::map<std::string, std::string>& env,
               const std::string& stdoutPath = {}, const std::string& stderrPath = {});
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // The exit code, or nullopt when the program is still running after `timeout` (it is then
    // killed by the destructor).
    std::optional<int> wait(std::chrono::milliseconds timeout);

  private:
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
};

// Polls `done` every 10 ms until it holds or `timeout` passes.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

}  // namespace test_support
