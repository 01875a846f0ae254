// What the programs a test runs go on to start. The test process becomes the subreaper of its
// descendants, so a program started by a launcher that has already ended is re-parented to the
// test instead of vanishing: "nothing was started" can then be checked without waiting and
// hoping.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <vector>

namespace launcher_test {

class Descendants {
  public:
    // Makes the calling process the subreaper of everything it starts from now on.
    Descendants();
    // Ends (SIGKILL) and reaps whatever is left.
    ~Descendants();
    Descendants(const Descendants&) = delete;
    Descendants& operator=(const Descendants&) = delete;

    // True when the process has no child left; reaps those that have ended (and then says
    // false, as they existed). Call only when every ProgramRun of the test has been waited
    // for: it reaps any child.
    bool none();
    // Waits until every child has ended, reaping them; false when some still run at `timeout`.
    bool waitForAll(std::chrono::milliseconds timeout);

  private:
    static std::vector<pid_t> children();
};

}  // namespace launcher_test
