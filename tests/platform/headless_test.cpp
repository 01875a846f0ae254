#include <cstdlib>

#include "platform/headless/headless_backend.h"
#include "platform/headless/headless_script.h"
#include "platform/menu.h"
#include "platform/messages.h"
#include "platform/ui_trace.h"
#include "platform/window.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/trace_text.h"
#include "tests/support/virtual_clock.h"

using namespace platform;
using test_support::readFile;
using test_support::readTrace;
using test_support::TempDir;
using test_support::writeFile;

namespace {

// A base class handles WM_USER; the derived class overrides it and adds WM_USER + 1.
class Base : public Window {
  public:
    LRESULT onUser(WPARAM, LPARAM) { return 1; }
    LRESULT onUserPlusTwo(WPARAM, LPARAM) { return 3; }

  protected:
    const MessageMap* GetMessageMap() const override;
};
class Derived : public Base {
  public:
    LRESULT onUser(WPARAM, LPARAM) { return 10; }
    LRESULT onUserPlusOne(WPARAM, LPARAM) { return 11; }
    // Swallows posted WM_USER + 5 aimed at any of its children.
    bool PreTranslateMessage(MSG* msg) override { return msg->message == WM_USER + 5; }

  protected:
    const MessageMap* GetMessageMap() const override;
};

constexpr MessageMapEntry kBaseEntries[] = {{WM_USER, onMessage<Base, &Base::onUser>},
                                            {WM_USER + 2, onMessage<Base, &Base::onUserPlusTwo>}};
constexpr MessageMap kBaseMap{nullptr, kBaseEntries};
constexpr MessageMapEntry kDerivedEntries[] = {
    {WM_USER, onMessage<Derived, &Derived::onUser>},
    {WM_USER + 1, onMessage<Derived, &Derived::onUserPlusOne>}};
constexpr MessageMap kDerivedMap{&kBaseMap, kDerivedEntries};

const MessageMap* Base::GetMessageMap() const { return &kBaseMap; }
const MessageMap* Derived::GetMessageMap() const { return &kDerivedMap; }

class Child : public Window {
  public:
    int got = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message >= WM_USER) ++got;
        return Window::WindowProc(message, wParam, lParam);
    }
};

using HeadlessTest = test_support::HeadlessTest;

TEST_F(HeadlessTest, MessageMapsOfDerivedClassesComeBeforeTheirBases) {
    Derived window;
    ASSERT_TRUE(window.CreateEx(0, "T", "", WS_POPUP, RECT{}, nullptr, 0));
    EXPECT_EQ(window.SendMessage(WM_USER), 10);
    EXPECT_EQ(window.SendMessage(WM_USER + 1), 11);
    EXPECT_EQ(window.SendMessage(WM_USER + 2), 3);
    EXPECT_EQ(window.SendMessage(WM_USER + 3), 0);
}

TEST_F(HeadlessTest, TheParentsFilterSeesPostedMessagesOfItsChildrenBeforeDispatch) {
    Derived parent;
    Child child;
    ASSERT_TRUE(parent.CreateEx(0, "T", "", WS_POPUP, RECT{0, 0, 50, 50}, nullptr, 0));
    ASSERT_TRUE(child.CreateEx(0, "C", "", WS_CHILD, RECT{0, 0, 5, 5}, &parent, 3));
    child.PostMessage(WM_USER + 5);
    child.PostMessage(WM_USER + 6);
    EXPECT_TRUE(pumpMessage());
    EXPECT_TRUE(pumpMessage());
    EXPECT_EQ(child.got, 1) << "only WM_USER + 6 reached the child";
    // Sent messages never pass the filter.
    child.SendMessage(WM_USER + 5);
    EXPECT_EQ(child.got, 2);
}

TEST_F(HeadlessTest, ChildRectanglesAreRelativeToTheParentsClientArea) {
    Window parent;
    Window child;
    ASSERT_TRUE(
        parent.CreateEx(0, "T", "", WS_POPUP | WS_CAPTION, RECT{100, 50, 300, 250}, nullptr, 0));
    ASSERT_TRUE(child.CreateEx(0, "C", "", WS_CHILD, RECT{10, 20, 30, 40}, &parent, 1));
    EXPECT_EQ(child.GetWindowRect(), (RECT{113, 96, 133, 116}));
    EXPECT_EQ(parent.GetDlgItem(1), &child);
    parent.DestroyWindow();
    EXPECT_EQ(child.GetSafeHwnd(), nullptr) << "destroying a window destroys its children";
}

TEST_F(HeadlessTest, TheTraceRecordsWhatAPersonWouldSeeAndScriptsAnswerMessageBoxes) {
    TempDir dir;
    writeFile(dir.file("script"), "# answers\nmsgbox IDNO\nbogus line\nmsgbox IDCANCEL\n");
    setenv("VEXO_UI_TRACE", dir.file("trace").c_str(), 1);
    setenv("VEXO_HEADLESS_SCRIPT", dir.file("script").c_str(), 1);
    testing::internal::CaptureStderr();
    auto backend = createHeadlessBackend();
    const std::string complaints = testing::internal::GetCapturedStderr();
    unsetenv("VEXO_UI_TRACE");
    unsetenv("VEXO_HEADLESS_SCRIPT");
    EXPECT_NE(complaints.find(":3: not a script step: bogus line"), std::string::npos);

    auto native =
        backend->createWindow(NativeWindowSpec{WindowKind::TopLevel, reinterpret_cast<HWND>(0x20),
                                               "#32770", "标题", WS_POPUP, 0, RECT{1, 2, 11, 22}},
                              nullptr);
    native->setVisible(true);
    native->setBounds(RECT{5, 6, 15, 26});
    native->insertItem(0, "a \"quoted\"\nline");
    native.reset();
    EXPECT_EQ(backend->messageBox(nullptr, "问题?", "Vexo", MB_YESNO), IDNO);
    EXPECT_EQ(backend->messageBox(nullptr, "x", "", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(backend->messageBox(nullptr, "y", "", MB_YESNO), IDYES);
    EXPECT_EQ(readTrace(dir.file("trace")),
              "create 0x20 toplevel class=\"#32770\" parent=0 owner=0 style=0x80000000 "
              "exstyle=0x00000000 rect=1,2 10x20 text=\"标题\"\n"
              "show 0x20\n"
              "move 0x20 5,6 10x20\n"
              "item 0x20 0 \"a \\\"quoted\\\"\\nline\"\n"
              "destroy 0x20\n"
              "msgbox owner=0 type=0x00000004 caption=\"Vexo\" text=\"问题?\" answer=IDNO\n"
              "msgbox owner=0 type=0x00000001 caption=\"\" text=\"x\" answer=IDCANCEL\n"
              "msgbox owner=0 type=0x00000004 caption=\"\" text=\"y\" answer=IDYES (default)\n");
}

// A scripted backend that traces to a file of the test's own.
class TraceTest : public test_support::HeadlessTest {
  protected:
    void SetUp() override {
        test_support::installScriptedBackend(dir, script(), dir.file("trace"));
    }
    virtual std::string script() { return ""; }
    std::vector<test_support::TraceLine> lines() const {
        return test_support::traceLines(readFile(dir.file("trace")));
    }
    // The events (lines without their times) that begin with one of `kinds`.
    std::vector<std::string> events(std::initializer_list<std::string> kinds) const {
        std::vector<std::string> result;
        for (const auto& line : lines())
            for (const auto& kind : kinds)
                if (line.event.starts_with(kind + " ")) result.push_back(line.event);
        return result;
    }
    static std::string hwnd(const Window& window) { return handleText(window.GetSafeHwnd()); }

    TempDir dir;
};

TEST_F(TraceTest, EveryLineStartsWithTheMillisecondsOfTheProcessClockSinceTheProcessStarted) {
    Window early;
    ASSERT_TRUE(early.CreateEx(0, "T", "", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
    test_support::VirtualClock clock;
    Window window;
    ASSERT_TRUE(window.CreateEx(0, "T", "", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
    clock.runFor(std::chrono::milliseconds(1234));
    window.ShowWindow(SW_SHOWNA);
    const auto traced = lines();
    ASSERT_EQ(traced.size(), 3u) << readFile(dir.file("trace"));
    EXPECT_GE(traced[0].ms, 0);
    EXPECT_LE(traced[0].ms, traced[1].ms) << "virtual time goes on from the real reading";
    EXPECT_EQ(traced[2].ms - traced[1].ms, 1234) << "exactly, on virtual time";
    EXPECT_EQ(traced[2].ms, millisecondsSinceStart()) << "and it stood still since";
    EXPECT_EQ(traced[2].event, "show " + hwnd(window));
}

TEST_F(TraceTest, TopLevelWindowsNameTheirOwnerAndStyleChangesAfterCreationAreTraced) {
    Window main, dialog, child;
    ASSERT_TRUE(main.CreateEx(0, "M", "", WS_POPUP, RECT{0, 0, 100, 100}, nullptr, 0));
    ASSERT_TRUE(dialog.CreateEx(0, "D", "", WS_POPUP | WS_VISIBLE, RECT{0, 0, 50, 50}, &main, 0));
    ASSERT_TRUE(child.CreateEx(0, "C", "", WS_CHILD, RECT{0, 0, 5, 5}, &main, 1));
    main.SetWindowLong(GWL_STYLE, static_cast<LONG>(main.GetStyle() | WS_CAPTION));
    main.SetWindowLong(GWL_STYLE, static_cast<LONG>(main.GetStyle()));
    dialog.SetWindowLong(GWL_STYLE, static_cast<LONG>(dialog.GetStyle() | WS_SYSMENU));
    main.SetWindowLong(GWL_EXSTYLE, WS_EX_LAYERED);
    main.SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    main.SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(dialog.GetStyle() & WS_VISIBLE) << "the style line leaves out what show says";
    EXPECT_EQ(events({"create", "show", "style", "exstyle", "topmost"}),
              (std::vector<std::string>{
                  "create " + hwnd(main) + " toplevel class=\"M\" parent=0 owner=0 " +
                      "style=0x80000000 exstyle=0x00000000 rect=0,0 100x100 text=\"\"",
                  "create " + hwnd(dialog) + " toplevel class=\"D\" parent=0 owner=" + hwnd(main) +
                      " style=0x80000000 exstyle=0x00000000 rect=0,0 50x50 text=\"\"",
                  "show " + hwnd(dialog),
                  "create " + hwnd(child) + " child class=\"C\" parent=" + hwnd(main) +
                      " style=0x40000000 exstyle=0x00000000 rect=0,0 5x5 text=\"\"",
                  "style " + hwnd(main) + " 0x80c00000",
                  "style " + hwnd(dialog) + " 0x80080000",
                  "exstyle " + hwnd(main) + " 0x00080000",
                  "exstyle " + hwnd(main) + " 0x00080008",
                  "topmost " + hwnd(main) + " 1",
                  "topmost " + hwnd(main) + " 1",
              }));
}

// What a person does with Alt+F4 or the close button of the window manager.
class CloseScriptTest : public TraceTest {
  protected:
    std::string script() override {
        return "close 150 120\nafter 10 close 10 10\nafter 10 close 1900 1000\n";
    }
};

TEST_F(CloseScriptTest, ACloseGoesToTheTopLevelWindowUnderThePointAsWmClose) {
    test_support::VirtualClock clock;
    Window below, above, child;
    ASSERT_TRUE(
        below.CreateEx(0, "B", "", WS_POPUP | WS_VISIBLE, RECT{0, 0, 400, 400}, nullptr, 0));
    ASSERT_TRUE(above.CreateEx(0, "A", "", WS_POPUP | WS_VISIBLE | WS_CAPTION,
                               RECT{100, 100, 300, 300}, nullptr, 0));
    ASSERT_TRUE(child.CreateEx(0, "C", "", WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 100}, &above, 1));
    const std::string aboveName = hwnd(above), belowName = hwnd(below);
    clock.runFor(std::chrono::milliseconds(0));
    EXPECT_EQ(above.GetSafeHwnd(), nullptr) << "the default handling of WM_CLOSE destroys it";
    EXPECT_EQ(child.GetSafeHwnd(), nullptr) << "and its child under the point with it";
    EXPECT_NE(below.GetSafeHwnd(), nullptr);
    clock.runFor(std::chrono::milliseconds(20));
    EXPECT_EQ(below.GetSafeHwnd(), nullptr);
    EXPECT_EQ(events({"input"}), (std::vector<std::string>{"input close 150,120 to " + aboveName,
                                                           "input close 10,10 to " + belowName,
                                                           "input close 1900,1000 to 0"}));
}

TEST(HeadlessScript, CloseStepsTakeAPointAndAnOptionalDelay) {
    testing::internal::CaptureStderr();
    const auto script = HeadlessScript::parse("close 1 2\nafter 30 close 3 4\nclose 5\n", "s");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("s:3: not a script step: close 5"),
              std::string::npos);
    ASSERT_EQ(script.input().size(), 2u);
    EXPECT_EQ(script.input()[0].kind, InputKind::Close);
    EXPECT_EQ(script.input()[1].delayMs, 30u);
    EXPECT_EQ(script.input()[1].a, 3);
    EXPECT_EQ(script.input()[1].b, 4);
}

class MenuScriptTest : public TraceTest {
  protected:
    std::string script() override { return "menu 999\n"; }
};

// So a test can send a command no menu offers, as a stale or forged click would.
TEST_F(MenuScriptTest, AMenuAnswerIsTheScriptedCommandWhetherTheMenuHoldsItOrNot) {
    Window owner;
    ASSERT_TRUE(owner.CreateEx(0, "T", "", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
    static constexpr MenuItemTemplate kItems[] = {{32771, "显示", 0}};
    Menu menu;
    menu.LoadMenu(MenuTemplate{130, kItems});
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 5, 6, &owner), 999u);
    EXPECT_EQ(events({"menu"}), (std::vector<std::string>{"menu owner=" + hwnd(owner) +
                                                          " at=5,6 items=32771 choice=999"}));
}

}  // namespace
