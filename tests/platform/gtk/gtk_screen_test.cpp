// What reaches the screen: the debug console with Chinese lines from several threads, and
// windows checked pixel by pixel in a screenshot.
#include <atomic>

#include "common/console.h"
#include "common/console_ids.h"
#include "platform/gtk/gtk_text.h"
#include "platform/messages.h"
#include "resources/launcher_resources.h"
#include "shell/console_dialog.h"
#include "tests/support/gtk/gtk_probe.h"
#include "tests/support/gtk/gtk_test_support.h"

namespace gtk_test {
namespace {

const Pixel kBlack{0, 0, 0};

bool isInk(Pixel p) { return p.r + p.g + p.b < 3 * 128; }

// Runs of screen rows between `top` and `bottom` with dark pixels between `left` and `right`:
// the text lines drawn there.
int inkBands(const Screenshot& shot, int left, int right, int top, int bottom, int* lastInk) {
    int bands = 0;
    bool previous = false;
    for (int y = top; y < bottom; ++y) {
        bool ink = false;
        for (int x = left; x < right && !ink; ++x) ink = isInk(shot.at(x, y));
        if (ink && !previous) ++bands;
        if (ink) *lastInk = y;
        previous = ink;
    }
    return bands;
}

class GtkConsole : public GtkBackendTest {
  protected:
    Window& openList() {
        EXPECT_TRUE(openConsole(resources::launcherResources()));
        Window* list = g_consoleDlg.GetDlgItem(console::IDC_CONSOLE_LIST);
        EXPECT_NE(list, nullptr);
        EXPECT_TRUE(pumpUntil([&] { return gtk_probe::isOnScreen(*list->backendWindow()); }));
        return *list;
    }
};

TEST_F(GtkConsole, ShowsChineseLinesFromEveryThreadInTheOrderTheyCame) {
    Window& list = openList();
    consoleLog("启动：第一行");
    std::atomic<LRESULT> countSeenByWorker{-1};
    std::thread worker([&] {
        consoleLog("工作线程：第二行");
        consoleLogf("工作线程：第%d行", 3);
        countSeenByWorker = sendMessage(list.GetSafeHwnd(), LB_GETCOUNT);
    });
    ASSERT_TRUE(pumpUntil([&] { return countSeenByWorker >= 0; }));
    worker.join();
    consoleLog("结束：第四行");
    EXPECT_EQ(countSeenByWorker, 3);
    const std::vector<std::string> expected{"启动：第一行", "工作线程：第二行", "工作线程：第3行",
                                            "结束：第四行"};
    EXPECT_EQ(gtk_probe::listBoxLines(*list.backendWindow()), expected);
    for (const auto& line : expected)
        EXPECT_EQ(gtk_probe::missingGlyphs(*list.backendWindow(), line), 0) << line;
}

TEST_F(GtkConsole, DrawsOneTextLinePerItemAndNothingBelow) {
    Window& list = openList();
    for (const char* line : {"第一行", "第二行", "第三行", "第四行"}) consoleLog(line);
    pumpUntil([] { return false; }, 300ms);
    const Screenshot shot = Screenshot::take();
    ASSERT_EQ(shot.width(), 1280);
    const RECT r = list.GetWindowRect();
    int lastInk = -1;
    // The left part only: the scroll bars are drawn at the right and bottom edges.
    EXPECT_EQ(inkBands(shot, r.left + 2, r.left + 200, r.top + 2, r.bottom - 20, &lastInk), 4);
    EXPECT_LT(lastInk, r.top + 4 * 40) << "four lines of text, then empty list";
}

TEST_F(GtkConsole, InsertingAtAnIndexPutsTheLineThere) {
    Window& list = openList();
    const HWND hwnd = list.GetSafeHwnd();
    for (const char* line : {"甲", "丙"})
        sendMessage(hwnd, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(line));
    sendMessage(hwnd, LB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("乙"));
    sendMessage(hwnd, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("首"));
    EXPECT_EQ(gtk_probe::listBoxLines(*list.backendWindow()),
              (std::vector<std::string>{"首", "甲", "乙", "丙"}));
}

// GTK lays out a list line whole whenever it measures or draws it: a line of megabytes once took
// seconds and gigabytes each time. The list shows the beginning of a long line and how much
// is left out; the list box and standard output keep the line whole.
TEST_F(GtkConsole, ShowsTheBeginningOfALongLineAndKeepsItWholeElsewhere) {
    Window& list = openList();
    const std::string huge = std::string(13500000, 'x') + "end";
    const std::string atBound(kMaxShownLineBytes, 'y');
    // 1366 three-byte characters: the bound falls inside the last one.
    std::string chinese;
    for (int i = 0; i < 1366; ++i) chinese += "第";
    testing::internal::CaptureStdout();
    consoleLog("前");
    consoleLog(huge);
    consoleLog(atBound);
    consoleLog(chinese);
    consoleLog("后");
    const std::string stdoutCopy = testing::internal::GetCapturedStdout();
    // Compared as a whole: a failure shows sizes, not megabytes.
    EXPECT_TRUE(stdoutCopy == "前\n" + huge + "\n" + atBound + "\n" + chinese + "\n后\n")
        << stdoutCopy.size() << " bytes on standard output";

    const std::vector<std::string> shown = gtk_probe::listBoxLines(*list.backendWindow());
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[0], "前");
    EXPECT_TRUE(shown[1] == std::string(kMaxShownLineBytes, 'x') + " … [" +
                                std::to_string(huge.size() - kMaxShownLineBytes) + " more bytes]")
        << shown[1].size() << " bytes shown";
    EXPECT_EQ(shown[2], atBound) << "a line of exactly the bound shows whole";
    EXPECT_TRUE(shown[3] == chinese.substr(0, 1365 * 3) + " … [3 more bytes]")
        << shown[3].size() << " bytes shown";
    EXPECT_EQ(shown[4], "后");

    const HWND hwnd = list.GetSafeHwnd();
    EXPECT_EQ(sendMessage(hwnd, LB_GETTEXTLEN, 1), static_cast<LRESULT>(huge.size()));
    EXPECT_EQ(sendMessage(hwnd, LB_GETTEXTLEN, 3), static_cast<LRESULT>(chinese.size()));
}

class GtkScreenshot : public GtkBackendTest {};

TEST_F(GtkScreenshot, BorderlessWindowPaintsExactlyItsRectangle) {
    RecordingWindow popup;
    showWindow(popup, "painted", WS_POPUP, RECT{100, 120, 420, 360});
    pumpUntil([] { return false; }, 300ms);
    const Screenshot shot = Screenshot::take();
    ASSERT_EQ(shot.width(), 1280);
    const Pixel inside = shot.at(260, 240);
    EXPECT_NE(inside, kBlack) << "the window's background, on the black root window";
    for (auto [x, y] : {std::pair{100, 120}, {419, 120}, {100, 359}, {419, 359}})
        EXPECT_EQ(shot.at(x, y), inside) << "corner " << x << "," << y;
    for (auto [x, y] : {std::pair{99, 120}, {100, 119}, {420, 359}, {419, 360}})
        EXPECT_EQ(shot.at(x, y), kBlack) << "outside at " << x << "," << y;
}

}  // namespace
}  // namespace gtk_test
