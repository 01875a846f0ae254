#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "platform/messages.h"
#include "platform/window.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/virtual_clock.h"

using namespace platform;
using test_support::pumpUntil;

namespace {

// Records every message it gets, with the thread it got it on.
class RecordingWindow : public Window {
  public:
    std::vector<UINT> received;
    std::thread::id lastThread;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        received.push_back(message);
        lastThread = std::this_thread::get_id();
        if (message == WM_USER) return static_cast<LRESULT>(wParam * 2);
        return Window::WindowProc(message, wParam, lParam);
    }
    bool got(UINT message) const {
        return std::find(received.begin(), received.end(), message) != received.end();
    }
};

class MessagesTest : public test_support::HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        ASSERT_TRUE(window.CreateEx(0, "Test", "", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
    }
    RecordingWindow window;
};

TEST_F(MessagesTest, SendOnTheOwnThreadRunsTheProcedureAtOnceAndReturnsItsResult) {
    EXPECT_EQ(sendMessage(window.GetSafeHwnd(), WM_USER, 21, 0), 42);
    EXPECT_TRUE(window.got(WM_USER));
}

TEST_F(MessagesTest, PostedMessagesArriveInOrderThroughTheLoop) {
    window.PostMessage(WM_USER + 1);
    window.PostMessage(WM_USER + 2);
    EXPECT_FALSE(window.got(WM_USER + 1));
    ASSERT_TRUE(pumpUntil([&] { return window.got(WM_USER + 2); }));
    auto first = std::find(window.received.begin(), window.received.end(), WM_USER + 1);
    auto second = std::find(window.received.begin(), window.received.end(), WM_USER + 2);
    EXPECT_LT(first, second);
}

TEST_F(MessagesTest, SendFromAnotherThreadWaitsForTheOwnerThreadToHandleIt) {
    std::atomic<LRESULT> result{0};
    std::atomic<bool> returned{false};
    const HWND hwnd = window.GetSafeHwnd();
    std::thread worker([&] {
        result = sendMessage(hwnd, WM_USER, 5, 0);
        returned = true;
    });
    // The worker cannot finish until this thread pumps.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned);
    EXPECT_TRUE(pumpUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_EQ(result, 10);
    EXPECT_EQ(window.lastThread, std::this_thread::get_id());
}

TEST_F(MessagesTest, MessagesToADestroyedWindowAreDroppedNotMisdelivered) {
    const HWND stale = window.GetSafeHwnd();
    window.DestroyWindow();
    RecordingWindow fresh;
    ASSERT_TRUE(fresh.CreateEx(0, "Test", "", WS_POPUP, RECT{}, nullptr, 0));
    EXPECT_NE(fresh.GetSafeHwnd(), stale);
    EXPECT_EQ(sendMessage(stale, WM_USER, 1, 0), 0);
    EXPECT_FALSE(postMessage(stale, WM_USER));
    EXPECT_FALSE(fresh.got(WM_USER));
}

TEST_F(MessagesTest, ASendToAThreadThatEndsIsReleased) {
    HWND hwnd = nullptr;
    std::atomic<bool> created{false}, release{false};
    std::thread owner([&] {
        RecordingWindow other;
        other.CreateEx(0, "Test", "", WS_POPUP, RECT{}, nullptr, 0);
        hwnd = other.GetSafeHwnd();
        created = true;
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        // Ends without ever pumping: the window and its queue go away.
    });
    while (!created) std::this_thread::yield();
    std::thread sender([&] { EXPECT_EQ(sendMessage(hwnd, WM_USER, 1, 0), 0); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    release = true;
    owner.join();
    sender.join();
}

std::atomic<int> g_ticks{0};
void countTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

TEST_F(MessagesTest, ThreadTimersCallTheirCallbackEveryPeriodUntilKilled) {
    test_support::VirtualClock clock;
    g_ticks = 0;
    const UINT_PTR id = setTimer(nullptr, 0, 10, countTick);
    ASSERT_NE(id, 0u);
    clock.runFor(std::chrono::milliseconds(29));
    EXPECT_EQ(g_ticks, 2);
    clock.runFor(std::chrono::milliseconds(1));
    EXPECT_EQ(g_ticks, 3);
    EXPECT_TRUE(killTimer(nullptr, id));
    clock.runFor(std::chrono::seconds(1));
    EXPECT_EQ(g_ticks, 3);
}

TEST_F(MessagesTest, ALateTimerFiresOnceAndThenAFullPeriodLater) {
    test_support::VirtualClock clock;
    g_ticks = 0;
    const UINT_PTR id = setTimer(nullptr, 0, 10, countTick);
    clock.runFor(std::chrono::milliseconds(0));
    clock.advance(std::chrono::milliseconds(35));
    test_support::pumpPending();
    EXPECT_EQ(g_ticks, 1) << "missed periods are not made up";
    clock.runFor(std::chrono::milliseconds(9));
    EXPECT_EQ(g_ticks, 1);
    clock.runFor(std::chrono::milliseconds(1));
    EXPECT_EQ(g_ticks, 2);
    killTimer(nullptr, id);
}

// A thread waiting in its loop for a timer wakes when virtual time reaches it.
TEST_F(MessagesTest, OnVirtualTimeAWaitingThreadWakesWhenTheClockReachesItsTimer) {
    test_support::VirtualClock clock;
    const auto start = clock.now();
    std::promise<void> waiting;
    std::atomic<Clock::rep> firedAt{0};
    std::thread worker([&] {
        setTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {});
        waiting.set_value();
        MSG msg;
        EXPECT_TRUE(getMessage(msg));
        firedAt = (Clock::now() - start).count();
    });
    waiting.get_future().wait();
    // Give the worker time to block; were it not blocked yet, it would find the timer due.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    clock.advance(std::chrono::milliseconds(50));
    worker.join();
    EXPECT_EQ(Clock::duration(firedAt.load()), std::chrono::milliseconds(50));
}

TEST_F(MessagesTest, WindowTimersStopWithTheirWindow) {
    ASSERT_EQ(setTimer(window.GetSafeHwnd(), 7, 10, nullptr), 7u);
    ASSERT_TRUE(pumpUntil([&] { return window.got(WM_TIMER); }));
    window.DestroyWindow();
    EXPECT_FALSE(killTimer(window.GetSafeHwnd(), 7));
}

TEST_F(MessagesTest, DelayedTasksRunEarliestFirstEachAtItsTime) {
    test_support::VirtualClock clock;
    std::vector<int> order;
    auto& queue = ThreadQueue::current();
    queue.postTask(
        30, [&] { order.push_back(30); }, this);
    queue.postTask(
        0, [&] { order.push_back(0); }, this);
    queue.postTask(
        10, [&] { order.push_back(10); }, this);
    clock.runFor(std::chrono::milliseconds(0));
    EXPECT_EQ(order, (std::vector<int>{0}));
    clock.runFor(std::chrono::milliseconds(29));
    EXPECT_EQ(order, (std::vector<int>{0, 10}));
    clock.runFor(std::chrono::milliseconds(1));
    EXPECT_EQ(order, (std::vector<int>{0, 10, 30}));
}

TEST_F(MessagesTest, QuitEndsGetMessage) {
    postQuitMessage(3);
    MSG msg;
    EXPECT_FALSE(getMessage(msg));
    EXPECT_EQ(msg.wParam, 3u);
}

}  // namespace
