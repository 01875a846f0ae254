#include <thread>

#include "platform/dialog.h"
#include "platform/list_box.h"
#include "platform/messages.h"
#include "resources/launcher_resources.h"
#include "resources/player_resources.h"
#include "tests/support/headless_fixture.h"

using namespace platform;

namespace {

constexpr DWORD kPopupStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr DialogItemTemplate kItems[] = {
    {ControlClass::ListBox, 1001, 0, 0, 100, 50, WS_CHILD | WS_VISIBLE | LBS_SORT},
};
constexpr DialogTemplate kPlain{200, kPopupStyle, 0, 0, 0, 100, 50, "t", "System", 10, kItems};
constexpr DialogTemplate kAbsolute{
    201, kPopupStyle | DS_ABSALIGN, 0, 10, 20, 100, 50, "t", "System", 10, {}};

// Moves itself during initialisation when asked to.
class TestDialog : public Dialog {
  public:
    using Dialog::Dialog;
    bool moveInInit = false;

  protected:
    bool OnInitDialog() override {
        if (moveInInit) MoveWindow(5, 6, 100, 100);
        return true;
    }
};

using DialogTest = test_support::HeadlessTest;

TEST_F(DialogTest, ConsoleTemplatesOfBothProgramsOpenCentredOnTheWorkArea) {
    struct Case {
        const ResourceTable& table;
        LONG clientWidth, clientHeight;
        const char* caption;
    };
    // 2 pixels per dialog unit; a 3-pixel frame and a 23-pixel caption around the client area.
    for (const Case& c : {Case{resources::launcherResources(), 588, 406, "对话"},
                          Case{resources::playerResources(), 888, 412, "消息控件台"}}) {
        Dialog console;
        ASSERT_TRUE(console.Create(*c.table.dialog(134), nullptr));
        const RECT client = console.GetClientRect();
        EXPECT_EQ(client.width(), c.clientWidth);
        EXPECT_EQ(client.height(), c.clientHeight);
        const RECT rect = console.GetWindowRect();
        EXPECT_EQ(rect.width(), c.clientWidth + 6);
        EXPECT_EQ(rect.height(), c.clientHeight + 29);
        EXPECT_EQ(rect.left, 960 - rect.width() / 2);
        EXPECT_EQ(rect.top, 520 - rect.height() / 2);
        EXPECT_EQ(console.GetWindowText(), c.caption);
        EXPECT_FALSE(console.IsWindowVisible()) << "the template has no WS_VISIBLE";
        ASSERT_NE(console.GetDlgItem(1001), nullptr);
    }
}

TEST_F(DialogTest, ADialogMovedByItsInitialisationOrAbsolutelyAlignedIsNotCentred) {
    TestDialog moved(kPlain);
    moved.moveInInit = true;
    ASSERT_TRUE(moved.Create());
    EXPECT_EQ(moved.GetWindowRect().left, 5);
    EXPECT_EQ(moved.GetWindowRect().top, 6);

    Dialog absolute(kAbsolute);
    ASSERT_TRUE(absolute.Create());
    EXPECT_EQ(absolute.GetWindowRect().left, 20);
    EXPECT_EQ(absolute.GetWindowRect().top, 40);
}

TEST_F(DialogTest, CentringKeepsTheWindowInsideTheWorkArea) {
    const RECT work{0, 0, 1920, 1040};
    const RECT over{1800, 900, 1900, 1000};
    const RECT placed = centredRect(RECT{0, 0, 400, 300}, &over, work);
    EXPECT_EQ(placed.right, 1920);
    EXPECT_EQ(placed.bottom, 1040);
    const RECT huge = centredRect(RECT{0, 0, 3000, 2000}, nullptr, work);
    EXPECT_EQ(huge.left, 0);
    EXPECT_EQ(huge.top, 0);
}

TEST_F(DialogTest, EndDialogFromAnotherThreadEndsTheModalRunWithItsResult) {
    TestDialog dialog(kPlain);
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        dialog.EndDialog(42);
    });
    EXPECT_EQ(dialog.DoModal(), 42);
    closer.join();
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr) << "a finished modal dialog is destroyed";
}

TEST_F(DialogTest, AnEndDialogThatComesBeforeTheRunEndsItAtOnce) {
    TestDialog dialog(kPlain);
    dialog.EndDialog(7);
    EXPECT_EQ(dialog.DoModal(), 7);
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        dialog.EndDialog(8);
    });
    EXPECT_EQ(dialog.DoModal(), 8) << "a second run starts afresh";
    closer.join();
}

TEST_F(DialogTest, CloseCancelsAModalDialogAndQuitEndsItLeavingTheQuitForTheOuterLoop) {
    TestDialog closing(kPlain);
    ThreadQueue::current().postTask(
        0, [&] { closing.SendMessage(WM_CLOSE); }, this);
    EXPECT_EQ(closing.DoModal(), IDCANCEL);

    TestDialog quitting(kPlain);
    postQuitMessage(5);
    EXPECT_EQ(quitting.DoModal(), -1);
    MSG msg;
    EXPECT_FALSE(getMessage(msg)) << "WM_QUIT must still be queued";
    EXPECT_EQ(msg.wParam, 5u) << "with its exit code";
}

TEST_F(DialogTest, ListBoxKeepsInsertedLinesInPlaceDespiteTheSortStyle) {
    Dialog dialog(kPlain);
    ASSERT_TRUE(dialog.Create());
    auto* list = static_cast<ListBox*>(dialog.GetDlgItem(1001));
    ASSERT_NE(list, nullptr);
    const HWND hwnd = list->GetSafeHwnd();
    for (const char* line : {"b", "c", "a"}) {
        const LRESULT count = sendMessage(hwnd, LB_GETCOUNT);
        EXPECT_EQ(sendMessage(hwnd, LB_INSERTSTRING, count, reinterpret_cast<LPARAM>(line)), count);
    }
    EXPECT_EQ(list->items(), (std::vector<std::string>{"b", "c", "a"}));
    // Adding, not inserting, sorts; an index past the end is refused.
    sendMessage(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("B2"));
    EXPECT_EQ(list->items()[1], "B2");
    EXPECT_EQ(sendMessage(hwnd, LB_INSERTSTRING, 9, reinterpret_cast<LPARAM>("x")), LB_ERR);
    char text[8] = {};
    EXPECT_EQ(sendMessage(hwnd, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text)), 1);
    EXPECT_STREQ(text, "b");
}

}  // namespace
