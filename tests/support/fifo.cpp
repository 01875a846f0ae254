#include "tests/support/fifo.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <future>

namespace test_support {

bool makeFifo(const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }

void runWithoutWaiting(const std::function<void()>& call, std::chrono::seconds patience) {
    auto running = std::async(std::launch::async, call);
    if (running.wait_for(patience) == std::future_status::ready) return running.get();
    // The call cannot be interrupted, and the future would wait for it on destruction.
    std::fprintf(stderr, "a call waited on a pipe for %llds; ending the test program\n",
                 static_cast<long long>(patience.count()));
    std::abort();
}

}  // namespace test_support
