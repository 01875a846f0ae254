#include "tests/support/virtual_clock.h"

#include "platform/thread_queue.h"
#include "tests/support/headless_fixture.h"

namespace test_support {

void VirtualClock::runFor(std::chrono::milliseconds duration) {
    const platform::Clock::time_point end = time_.now() + duration;
    auto& queue = platform::ThreadQueue::current();
    pumpPending();
    for (auto next = queue.nextDeadline(); next && *next <= end; next = queue.nextDeadline()) {
        time_.advanceTo(*next);
        pumpPending();
    }
    time_.advanceTo(end);
    pumpPending();
}

}  // namespace test_support
