// Message boxes: GTK dialogs answered with real key presses, returning Win32 answers.
#include <atomic>
#include <cstdlib>

#include "platform/message_box.h"
#include "platform/messages.h"
#include "tests/support/gtk/gtk_test_support.h"

namespace gtk_test {
namespace {

class GtkMessageBox : public GtkBackendTest {
  protected:
    void TearDown() override {
        if (presser_.joinable()) presser_.join();
    }

    // From another thread, once `ready` holds: presses `keys` in the box titled `caption`.
    void answerWith(
        const std::string& caption, const std::string& keys,
        std::function<bool()> ready = [] { return true; }) {
        presser_ = std::thread([=] {
            waitFor(ready);
            const std::string command = "xdotool search --sync --onlyvisible --name '^" + caption +
                                        "$' windowfocus --sync key --delay 20 " + keys;
            EXPECT_EQ(std::system(command.c_str()), 0) << command;
        });
    }

    std::thread presser_;
};

std::atomic<int> g_ticks{0};

TEST_F(GtkMessageBox, EnterChoosesTheFirstButtonWhileTheThreadKeepsRunningItsMessages) {
    RecordingWindow owner;
    showWindow(owner, "owner", WS_POPUP, RECT{0, 0, 200, 100});
    Watchdog dog(60s);
    const UINT_PTR timer = setTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; });
    // Keys only once timers have fired inside the box's own loop.
    answerWith("vexo-question", "Return", [] { return g_ticks >= 3; });
    EXPECT_EQ(
        messageBox(owner.GetSafeHwnd(), "继续吗？", "vexo-question", MB_YESNO | MB_ICONQUESTION),
        IDYES);
    killTimer(nullptr, timer);
}

TEST_F(GtkMessageBox, EscapeCancelsWhereThereIsACancelButton) {
    Watchdog dog(60s);
    answerWith("vexo-cancel", "Escape");
    EXPECT_EQ(messageBox(nullptr, "取消？", "vexo-cancel", MB_OKCANCEL), IDCANCEL);
}

TEST_F(GtkMessageBox, EscapeDoesNotCloseAYesNoBox) {
    Watchdog dog(60s);
    answerWith("vexo-yesno", "Escape Tab Return");
    EXPECT_EQ(messageBox(nullptr, "是还是否？", "vexo-yesno", MB_YESNO), IDNO);
}

TEST_F(GtkMessageBox, BoxAskedForByAWorkerThreadIsShownByTheGtkThread) {
    Watchdog dog(60s);
    std::atomic<int> answer{0};
    std::thread worker(
        [&] { answer = messageBox(nullptr, "重试？", "vexo-worker", MB_RETRYCANCEL); });
    answerWith("vexo-worker", "Return");
    EXPECT_TRUE(pumpUntil([&] { return answer != 0; }));
    worker.join();
    EXPECT_EQ(answer, IDRETRY);
}

}  // namespace
}  // namespace gtk_test
