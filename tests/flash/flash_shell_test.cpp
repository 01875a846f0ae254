#include <algorithm>

#include "flash/flash_requests.h"
#include "platform/messages.h"
#include "tests/flash/movie_host.h"

using namespace platform;
using flash_test::Command;
using test_support::pumpUntil;

namespace {

using Strings = std::vector<std::string>;

class FlashShellTest : public flash_test::MovieHostTest {};

TEST_F(FlashShellTest, MovieCommandsReachTheShellOfTheirControlIdUnchanged) {
    host.main.play(movie("main.txt", "after 0 fscommand hello 你好 <世界> & more\n"), 9000);
    host.play.play(movie("play.txt", "after 0 fscommand Back\n"), 9001);
    ASSERT_TRUE(
        pumpUntil([&] { return !host.main.commands.empty() && !host.play.commands.empty(); }));
    EXPECT_EQ(host.main.commands, (std::vector<Command>{{"hello", "你好 <世界> & more"}}));
    EXPECT_EQ(host.play.commands, (std::vector<Command>{{"Back", ""}}));
}

TEST_F(FlashShellTest, EveryCallSendsItsExactRequestTextInOrder) {
    const std::string path = movie("main.txt", "");
    host.main.play(path, 9000);
    host.main.setWindow(true);
    host.main.setWindow(false);
    host.main.sendKeyCode(13);
    host.main.doPause();
    host.main.doResume();
    host.main.click();
    host.main.doubleClick();
    host.main.sendMessage("a<b&c");
    host.main.callWithString("GetStatus", "true");
    host.main.setVolume("50");
    host.main.stopPlay();

    EXPECT_EQ(
        tracedCalls(),
        (Strings{
            R"(<invoke name="SetWindow" ><arguments><string>true</string></arguments></invoke>)",
            R"(<invoke name="SetWindow" ><arguments><string>false</string></arguments></invoke>)",
            R"(<invoke name="sendKeyCode" returntype="boolean"><arguments><string>13</string></arguments></invoke>)",
            R"(<invoke name="sendKeyCodeLogin" returntype="boolean"><arguments><string>13</string></arguments></invoke>)",
            R"(<invoke name="doPause" ><arguments></arguments></invoke>)",
            R"(<invoke name="doResume" ><arguments></arguments></invoke>)",
            R"(<invoke name="click" ><arguments></arguments></invoke>)",
            R"(<invoke name="doubleClick" ><arguments></arguments></invoke>)",
            R"(<invoke name="ReceiveMessage" ><arguments><string>a&lt;b&amp;c</string></arguments></invoke>)",
            R"(<invoke name="GetStatus" ><arguments><string>true</string></arguments></invoke>)",
            R"(<invoke name="setvolume" ><arguments><string>50</string></arguments></invoke>)",
            R"(<invoke name="videoStop" ><arguments></arguments></invoke>)",
        }));
    EXPECT_EQ(
        newLogLines(),
        (Strings{
            "doPause", "doResume",
            R"(sendMessage:<invoke name="ReceiveMessage" ><arguments><string>a&lt;b&amp;c</string></arguments></invoke>)",
            "FlashShell::stopPlay"}));
    // The creation sequence, before any call.
    const Strings lines = traceLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(Strings(lines.begin(), lines.begin() + 3),
              (Strings{"1 BackgroundColor 0", "1 LoadMovie 0 " + path, "1 Play"}));
    EXPECT_EQ(flash_requests::failMess("1"),
              R"(<invoke name="failMess" ><arguments><string>1</string></arguments></invoke>)");
}

TEST_F(FlashShellTest, ThreePlaysAlternateSlotsKeepingThePreviousControlHidden) {
    auto& shell = host.main;
    shell.play(movie("1.txt", ""), 9000);
    CShockwaveFlash* first = shell.slotA();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(shell.currentControl(), first);
    EXPECT_EQ(shell.slotB(), nullptr);
    const HWND firstWindow = first->GetSafeHwnd();

    shell.play(movie("2.txt", ""), 9000);
    CShockwaveFlash* second = shell.slotB();
    EXPECT_EQ(shell.currentControl(), second);
    EXPECT_EQ(shell.slotA(), first) << "the previous control stays alive";
    EXPECT_EQ(first->GetSafeHwnd(), firstWindow);
    EXPECT_FALSE(first->IsWindowVisible());
    EXPECT_EQ(first->GetParent(), nullptr);

    shell.play(movie("3.txt", ""), 9000);
    EXPECT_EQ(shell.currentControl(), shell.slotA());
    EXPECT_NE(shell.slotA()->GetSafeHwnd(), firstWindow) << "slot A holds a new control";
    EXPECT_EQ(Window::FromHandle(firstWindow), nullptr) << "the oldest control is destroyed";
    EXPECT_EQ(shell.slotB(), second);
    EXPECT_FALSE(second->IsWindowVisible());
    EXPECT_EQ(second->GetParent(), nullptr);
    EXPECT_TRUE(shell.slotA()->IsWindowVisible());

    // Each play stopped the movie before it; only the first control was destroyed.
    const Strings lines = traceLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "1 Destroyed"), lines.end());
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "2 Destroyed"), lines.end());
    EXPECT_EQ(tracedCalls().size(), 2u);
    EXPECT_EQ(newLogLines(), (Strings{"FlashShell::stopPlay", "FlashShell::stopPlay"}));
}

TEST_F(FlashShellTest, TheCurrentControlFillsTheParentsClientArea) {
    host.main.play(movie("m.txt", ""), 9000);
    const RECT control = host.main.currentControl()->GetWindowRect();
    EXPECT_EQ(control, (RECT{100, 100, 1060, 694}));
    EXPECT_EQ(host.main.controlWindow(), host.main.currentControl()->GetSafeHwnd());
}

TEST_F(FlashShellTest, NothingIsSentOrLoggedWhileNotReady) {
    flash_test::RecordingShell orphan;
    orphan.play(movie("m.txt", ""), 9000);
    EXPECT_EQ(orphan.slotA(), nullptr) << "play without a parent does nothing";
    orphan.stopPlay();
    EXPECT_EQ(orphan.callFunction("<invoke name=\"x\" ><arguments></arguments></invoke>"), "");

    host.main.play(movie("m.txt", "on GetStatus reply ok\n"), 9000);
    host.main.stopPlay();
    EXPECT_FALSE(host.main.isReady());
    host.main.doPause();
    host.main.click();
    EXPECT_EQ(host.main.callFunction(flash_requests::withString("GetStatus", "x")), "");
    EXPECT_EQ(host.main.controlWindow(), nullptr);
    // Only the videoStop of stopPlay got through; the doPause line is logged regardless.
    EXPECT_EQ(tracedCalls().size(), 1u);
    EXPECT_EQ(newLogLines(), (Strings{"FlashShell::stopPlay", "doPause"}));
}

TEST_F(FlashShellTest, RepliesComeBackAndAFailedCallIsLoggedAsAnEmptyReply) {
    host.main.play(
        movie("m.txt", "on GetStatus reply <string>ok</string>\non SetWindow fail nope\n"), 9000);
    EXPECT_EQ(host.main.callFunction(flash_requests::withString("GetStatus", "x")),
              "<string>ok</string>");
    EXPECT_EQ(host.main.callFunction(flash_requests::setWindow(true)), "");
    EXPECT_EQ(newLogLines(), (Strings{"callFunction.error, " + flash_requests::setWindow(true)}));
}

TEST_F(FlashShellTest, WithoutARegisteredControlEveryCallDoesNothing) {
    test_support::writeFile(dir.file("registry.reg"), "Windows Registry Editor Version 5.00\n");
    host.main.play(movie("m.txt", ""), 9000);
    EXPECT_TRUE(host.main.isReady());
    EXPECT_FALSE(host.main.currentControl()->HasControlSite());
    EXPECT_EQ(host.main.callFunction(flash_requests::doPause()), "");
    host.main.setWindow(true);
    EXPECT_TRUE(newLogLines().empty());
    EXPECT_TRUE(traceLines().empty());
}

TEST_F(FlashShellTest, AMovieCommandRaisedInsideACallMayCallBackIntoTheMovie) {
    host.main.play(movie("m.txt", "on SetWindow fscommand ping 1\non GetStatus reply yes\n"), 9000);
    std::string nested;
    host.main.onCommand = [&](const Command&) {
        nested = host.main.callFunction(flash_requests::withString("GetStatus", "true"));
    };
    host.main.setWindow(true);
    EXPECT_EQ(host.main.commands, (std::vector<Command>{{"ping", "1"}}));
    EXPECT_EQ(nested, "yes");
    EXPECT_EQ(tracedCalls(), (Strings{flash_requests::setWindow(true),
                                      flash_requests::withString("GetStatus", "true")}));
}

TEST_F(FlashShellTest, AMovieThatAnswersVideoStopByStoppingAgainIsStoppedOnce) {
    host.main.play(movie("m.txt", "on videoStop fscommand Close\n"), 9000);
    host.main.onCommand = [&](const Command&) { host.main.stopPlay(); };
    host.main.stopPlay();
    EXPECT_FALSE(host.main.isReady());
    EXPECT_EQ(tracedCalls().size(), 1u);
    EXPECT_EQ(newLogLines(), (Strings{"FlashShell::stopPlay"}));
}

TEST_F(FlashShellTest, APlayAskedForWhileTheMovieIsStoppingLeavesTheRaisingControlAlive) {
    auto& shell = host.main;
    // The movie raises two commands from one call; the first plays another movie, and the
    // movie answers the stop that comes with it by asking for yet another.
    shell.play(movie("1.txt",
                     "on SetWindow fscommand go\non SetWindow fscommand more\n"
                     "on videoStop fscommand again\n"),
               9000);
    const std::string second = movie("2.txt", "");
    const std::string third = movie("3.txt", "");
    shell.onCommand = [&](const Command& command) {
        if (command.first == "go") shell.play(second, 9000);
        if (command.first == "again") shell.play(third, 9000);
    };
    shell.setWindow(true);

    const Strings lines = traceLines();
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "1 Destroyed"), lines.end())
        << "the control inside the call is never deleted";
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.find(" LoadMovie ") != std::string::npos;
                            }),
              2)
        << "the play asked for during the stop is not made";
    EXPECT_EQ(shell.currentControl(), shell.slotB());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "2 LoadMovie 0 " + second), lines.end());
    EXPECT_TRUE(shell.isReady());
    EXPECT_EQ(shell.commands, (std::vector<Command>{{"go", ""}, {"again", ""}}))
        << "the hidden control's second command reaches nobody";
}

TEST_F(FlashShellTest, CallsIntoMoviesNestedPastTheLimitAreNotMade) {
    // Each call makes the movie raise a command whose handler calls the movie again.
    host.main.play(movie("m.txt", "on GetStatus fscommand GetStatus\n"), 9000);
    host.main.onCommand = [&](const Command&) { host.main.callWithString("GetStatus", "x"); };
    host.main.callWithString("GetStatus", "x");
    EXPECT_EQ(tracedCalls().size(), static_cast<std::size_t>(FlashShell::kMaxCallDepth));
    EXPECT_EQ(host.main.commands.size(), static_cast<std::size_t>(FlashShell::kMaxCallDepth));
    // Once the nesting unwinds, calls are made again.
    host.main.onCommand = nullptr;
    host.main.callWithString("GetStatus", "y");
    EXPECT_EQ(tracedCalls().size(), static_cast<std::size_t>(FlashShell::kMaxCallDepth) + 1);
}

TEST_F(FlashShellTest, TwoMoviesAnsweringEachOtherShareTheLimit) {
    const std::string echo = "on ReceiveMessage fscommand SendMessage x\n";
    host.main.play(movie("main.txt", echo), 9000);
    host.play.play(movie("play.txt", echo), 9001);
    host.main.onCommand = [&](const Command& c) { host.play.sendMessage(c.second); };
    host.play.onCommand = [&](const Command& c) { host.main.sendMessage(c.second); };
    host.main.sendMessage("x");
    EXPECT_EQ(tracedCalls().size(), static_cast<std::size_t>(FlashShell::kMaxCallDepth));
    EXPECT_EQ(host.main.commands.size() + host.play.commands.size(),
              static_cast<std::size_t>(FlashShell::kMaxCallDepth));
}

TEST_F(FlashShellTest, DragArmsOnlyInTheTopStripAndSuppressesCommandsWhileMoving) {
    auto& shell = host.main;
    shell.play(movie("m.txt", ""), 9000);
    shell.noteMouseDown(static_cast<std::uint32_t>(MAKELPARAM(5, 38)));
    EXPECT_FALSE(shell.isDragMove(static_cast<std::uint32_t>(MAKELPARAM(9, 38))));
    shell.noteMouseDown(static_cast<std::uint32_t>(MAKELPARAM(5, 37)));
    EXPECT_FALSE(shell.isDragMove(static_cast<std::uint32_t>(MAKELPARAM(5, 37))))
        << "a click without movement never drags";
    shell.noteMouseDown(static_cast<std::uint32_t>(MAKELPARAM(5, 300)));
    EXPECT_TRUE(shell.isDragMove(static_cast<std::uint32_t>(MAKELPARAM(6, 300))))
        << "a later press below the strip keeps the armed state";

    const MSG move{shell.controlWindow(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6, 300)};
    host.received.clear();
    shell.startDrag(move);
    EXPECT_NE(std::find(host.received.begin(), host.received.end(), WM_NCLBUTTONDOWN),
              host.received.end());
    EXPECT_FALSE(shell.isCommandSuppressed());
    EXPECT_FALSE(shell.isDragMove(static_cast<std::uint32_t>(MAKELPARAM(7, 300))));
}

TEST_F(FlashShellTest, TheParentCountsAsNormalOnlyInTheNormalShowState) {
    EXPECT_FALSE(host.main.isParentNormal()) << "not ready";
    host.main.play(movie("m.txt", ""), 9000);
    EXPECT_TRUE(host.main.isParentNormal());
    host.ShowWindow(SW_SHOWMAXIMIZED);
    EXPECT_FALSE(host.main.isParentNormal());
    host.ShowWindow(SW_RESTORE);
    EXPECT_TRUE(host.main.isParentNormal());
}

}  // namespace
