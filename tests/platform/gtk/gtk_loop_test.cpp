// The message loop of the GTK thread waiting in GLib: wake-ups, deadlines, messages from other
// threads, timers and nested modal loops.
#include <atomic>

#include "platform/dialog.h"
#include "platform/gtk/gtk_pump.h"
#include "platform/messages.h"
#include "tests/support/gtk/gtk_test_support.h"

namespace gtk_test {
namespace {

class GtkLoop : public GtkBackendTest {};

Clock::duration timeOf(const std::function<void()>& run) {
    const auto start = Clock::now();
    run();
    return Clock::now() - start;
}

TEST_F(GtkLoop, PumpReturnsAtItsDeadlineOrAtAWakeUpFromAnyThread) {
    Watchdog dog(60s);
    auto pump = makeGlibPump();
    // Native events may end a wait early; a deadline must end it in time, without spinning.
    const auto deadline = Clock::now() + 150ms;
    int rounds = 0;
    for (; Clock::now() < deadline; ++rounds) pump->wait(deadline);
    // Limits far from what a sound pump takes, so that only a fault reaches them on a loaded
    // machine: a pump that overslept its deadline, or woke only at its own deadline.
    EXPECT_LT(Clock::now() - deadline, 2s);
    EXPECT_LT(rounds, 50);
    pump->wake();
    EXPECT_LT(timeOf([&] { pump->wait(Clock::now() + 40s); }), 20s)
        << "a wake-up before the wait ends the next wait at once";
    std::thread waker([&] {
        std::this_thread::sleep_for(100ms);
        pump->wake();
    });
    EXPECT_LT(timeOf([&] { pump->wait(std::nullopt); }), 20s);
    waker.join();
}

TEST_F(GtkLoop, MessagePostedFromAnotherThreadWakesTheWaitingLoop) {
    RecordingWindow window;
    showWindow(window, "posted", WS_POPUP, RECT{0, 0, 50, 50});
    Watchdog dog(60s);
    std::thread poster([&] {
        std::this_thread::sleep_for(50ms);
        window.PostMessage(WM_APP + 1, 42);
    });
    MSG msg;
    // No timer runs: only the post can end this wait.
    ASSERT_TRUE(getMessage(msg));
    poster.join();
    EXPECT_EQ(msg.hwnd, window.GetSafeHwnd());
    EXPECT_EQ(msg.message, WM_APP + 1);
    EXPECT_EQ(msg.wParam, 42u);
}

TEST_F(GtkLoop, ThreadTimerFiresWhileTheLoopWaitsInGlib) {
    static std::atomic<int> fired{0};
    Watchdog dog(60s);
    const UINT_PTR id = setTimer(nullptr, 0, 80, [](HWND, UINT, UINT_PTR, DWORD) { ++fired; });
    const auto waited = timeOf([] {
        MSG msg;
        while (fired < 2 && getMessage(msg)) dispatchMessage(msg);
    });
    killTimer(nullptr, id);
    EXPECT_GE(waited, 160ms);
}

constexpr DialogTemplate kPlainDialog{900,      WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                      0,        10,
                                      10,       100,
                                      60,       "modal",
                                      "System", 10,
                                      {}};

class InnerDialog : public Dialog {
  public:
    InnerDialog() : Dialog(kPlainDialog) {}
    std::atomic<bool> running{false};

  protected:
    bool OnInitDialog() override {
        running = true;
        return true;
    }
};

// Runs the inner dialog from its own modal loop, as a handler would.
class OuterDialog : public Dialog {
  public:
    explicit OuterDialog(InnerDialog& inner) : Dialog(kPlainDialog), inner_(inner) {}
    std::atomic<intptr_t> innerResult{0};

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_APP) return Dialog::WindowProc(message, wParam, lParam);
        innerResult = inner_.DoModal();
        return 0;
    }

  protected:
    bool OnInitDialog() override {
        PostMessage(WM_APP);
        return true;
    }

  private:
    InnerDialog& inner_;
};

TEST_F(GtkLoop, NestedModalDialogsEndByEndDialogFromAnotherThread) {
    InnerDialog inner;
    OuterDialog outer(inner);
    Watchdog dog(60s);
    std::thread ender([&] {
        ASSERT_TRUE(waitFor([&] { return inner.running.load(); }));
        std::this_thread::sleep_for(50ms);
        inner.EndDialog(7);
        ASSERT_TRUE(waitFor([&] { return outer.innerResult != 0; }));
        outer.EndDialog(9);
    });
    EXPECT_EQ(outer.DoModal(), 9);
    ender.join();
    EXPECT_EQ(outer.innerResult, 7);
}

}  // namespace
}  // namespace gtk_test
