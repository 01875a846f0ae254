#include <algorithm>
#include <set>
#include <sstream>

#include "flash/flash_requests.h"
#include "platform/icon.h"
#include "platform/messages.h"
#include "player/my_kolvar_dlg.h"
#include "player/player_globals.h"
#include "tests/support/captured_log.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/scoped_env.h"

using namespace platform;
using Strings = std::vector<std::string>;

namespace {

class MainWindowTest : public test_support::HeadlessTest {
  protected:
    void SetUp() override {
        test_support::installScriptedBackend(dir, script(), dir.file("ui.trace"));
        test_support::writeFile(dir.file("registry.reg"),
                                test_support::flashControlRegistry(SCRIPTMOVIE_MODULE));
        test_support::writeFile(dir.file("client.swf"), "");
        test_support::writeFile(dir.file("clientplayer.swf"), "");
        setMovieUrls(dir.file("client.swf"));
        ASSERT_TRUE(window.Create(nullptr));
        window.ShowWindow(SW_SHOW);
    }
    virtual std::string script() { return ""; }

    // Requests to the movies, in order; play-movie requests are prefixed "play: ".
    Strings calls() const {
        Strings result;
        std::istringstream in(test_support::readFile(dir.file("movie.trace")));
        std::set<std::string> playInstances;
        for (std::string line; std::getline(in, line);) {
            const std::string instance = line.substr(0, line.find(' '));
            if (line.find("clientplayer.swf") != std::string::npos) playInstances.insert(instance);
            const auto at = line.find(" CallFunction ");
            if (at == std::string::npos) continue;
            result.push_back((playInstances.contains(instance) ? "play: " : "") +
                             line.substr(at + 14));
        }
        return result;
    }
    bool loaded(const std::string& text) const {
        return test_support::readFile(dir.file("movie.trace")).find(text) != std::string::npos;
    }

    test_support::TempDir dir;
    test_support::ScopedEnv registry{"VEXO_REGISTRY", dir.file("registry.reg")};
    test_support::ScopedEnv movieTrace{"VEXO_SCRIPTMOVIE_TRACE", dir.file("movie.trace")};
    CMyKolvarDlg window;
};

TEST(MovieUrls, EveryClientSwfIsRemovedToFindTheBase) {
    for (const char* argument : {"http://h:80/p/client.swf", "http://h:80/p/"}) {
        setMovieUrls(argument);
        EXPECT_EQ(g_mainMovieUrl, "http://h:80/p/client.swf");
        EXPECT_EQ(g_playMovieUrl, "http://h:80/p/clientplayer.swf");
    }
    setMovieUrls("http://client.swf/a/client.swf");
    EXPECT_EQ(g_mainMovieUrl, "http:///a/client.swf");
}

TEST_F(MainWindowTest, StartsCentredAndRoundWithTheMainMovieAndItsLoadingWindow) {
    EXPECT_EQ(window.GetWindowRect(), (RECT{480, 243, 1440, 837}));
    ASSERT_NE(window.windowRegion(), nullptr);
    EXPECT_EQ(window.windowRegion()->ellipseWidth, 20);
    EXPECT_EQ(window.currentPlayer(), &window.mainPlayer());
    EXPECT_TRUE(window.mainPlayer().isReady());
    EXPECT_NE(window.mainPlayer().loadingTimerId(), 0u);
    EXPECT_FALSE(window.isPreviewShown());
    EXPECT_EQ(window.GetIcon(true), platform::LoadIcon(128));
    EXPECT_EQ(window.GetIcon(false), platform::LoadIcon(128));
    const std::string trace = test_support::readFile(dir.file("ui.trace"));
    EXPECT_NE(trace.find(" big 128\n"), std::string::npos) << "the window shows it";
    EXPECT_NE(trace.find(" small 128\n"), std::string::npos);
}

TEST_F(MainWindowTest, SetargPlaysThenBackMovesTheVideoToThePreviewAndSetargReloadsItThere) {
    window.mainPlayer().handleCommand("setarg", "vid=1");
    EXPECT_EQ(window.currentPlayer(), &window.flvPlayer());
    EXPECT_TRUE(loaded("clientplayer.swf?vid=1"));
    window.mainPlayer().handleCommand("Back", "");
    EXPECT_EQ(window.currentPlayer(), &window.mainPlayer());
    ASSERT_TRUE(window.isPreviewShown());
    const RECT preview = window.previewWindow().GetWindowRect();
    EXPECT_EQ(preview, (RECT{480 - 359, 837 - 204, 480, 837})) << "docked left, bottoms aligned";
    EXPECT_EQ(window.flvPlayer().parentWindow(), &window.previewWindow());
    window.mainPlayer().handleCommand("setarg", "vid=2");
    EXPECT_TRUE(loaded("clientplayer.swf?vid=2&iswin=true"));
    window.mainPlayer().handleCommand("GetStatus", "");
    EXPECT_EQ(calls().back(),
              R"(<invoke name="GetStatus" ><arguments><string>true</string></arguments></invoke>)");
    window.flvPlayer().handleCommand("Resume", "");
    EXPECT_EQ(window.currentPlayer(), &window.flvPlayer()) << "back in the main window";
    EXPECT_FALSE(window.isPreviewShown());
}

TEST_F(MainWindowTest, ThePreviewNeverGoesPastTheLeftScreenEdge) {
    window.MoveWindow(100, 300, 960, 594);
    window.playInPreview(std::string("vid=3"));
    EXPECT_EQ(window.previewWindow().GetWindowRect().left, 0);
    EXPECT_EQ(window.previewWindow().GetWindowRect().bottom, 894);
}

TEST_F(MainWindowTest, CommandsAreWholeCaseSensitiveNamesAndDroppedWhileDragging) {
    window.mainPlayer().handleCommand("close", "");
    window.mainPlayer().handleCommand("CLOSE", "");
    window.mainPlayer().setCommandSuppressed(true);
    window.mainPlayer().handleCommand("Full", "");
    EXPECT_FALSE(window.isMaximized());
    EXPECT_FALSE(window.mainPlayer().isCommandSuppressed()) << "cleared after each command";
    window.mainPlayer().handleCommand("Full", "");
    EXPECT_TRUE(window.isMaximized());
    EXPECT_EQ(window.windowRegion()->ellipseWidth, 0) << "square corners when maximised";
}

TEST_F(MainWindowTest, RestoringFromMinimisedToMaximisedGivesSquareCornersAgain) {
    window.setShowState(BaseDlg::kShowMaximized);
    window.setShowState(BaseDlg::kShowMinimized);
    window.ShowWindow(SW_RESTORE);
    EXPECT_TRUE(window.isMaximized());
    EXPECT_EQ(window.windowRegion()->ellipseWidth, 0);
}

TEST_F(MainWindowTest, EnterAndEscapeGoToTheMovieAndAreSwallowed) {
    for (WPARAM key : {13u, 27u}) {
        MSG msg{window.GetSafeHwnd(), WM_KEYDOWN, key, 0};
        EXPECT_TRUE(window.PreTranslateMessage(&msg));
    }
    MSG other{window.GetSafeHwnd(), WM_KEYDOWN, 65, 0};
    EXPECT_FALSE(window.PreTranslateMessage(&other));
    const Strings sent = calls();
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_EQ(
        sent[0],
        R"(<invoke name="sendKeyCode" returntype="boolean"><arguments><string>13</string></arguments></invoke>)");
    EXPECT_EQ(
        sent[3],
        R"(<invoke name="sendKeyCodeLogin" returntype="boolean"><arguments><string>27</string></arguments></invoke>)");
}

TEST_F(MainWindowTest, TheMainWindowsEdgesSizeItWhileThePreviewsPressClicksItsMovie) {
    const auto pressAt = [](Window& target, UINT message, int x, int y) {
        MSG msg{target.GetSafeHwnd(), message, MK_LBUTTON, MAKELPARAM(x, y)};
        return static_cast<BaseDlg&>(target).PreTranslateMessage(&msg);
    };
    const auto sizingLoops = [&] {
        return test_support::readFile(dir.file("ui.trace")).find("sizeloop") != std::string::npos;
    };
    EXPECT_FALSE(pressAt(window, WM_MOUSEMOVE, 959, 300));
    EXPECT_TRUE(pressAt(window, WM_LBUTTONDOWN, 959, 300)) << "the right edge sizes the window";
    EXPECT_TRUE(sizingLoops());
    EXPECT_FALSE(pressAt(window, WM_MOUSEMOVE, 400, 300));
    EXPECT_FALSE(pressAt(window, WM_LBUTTONDOWN, 400, 300)) << "inside, the movie has it";

    window.playInPreview(std::string("vid=8"));
    PreviewDlg& preview = window.previewWindow();
    EXPECT_FALSE(pressAt(preview, WM_MOUSEMOVE, 358, 100));
    EXPECT_FALSE(pressAt(preview, WM_LBUTTONDOWN, 358, 100)) << "the preview never sizes";
    EXPECT_TRUE(pressAt(preview, WM_LBUTTONDBLCLK, 358, 100));
    const auto named = [](const std::string& name) {
        return "<invoke name=\"" + name + "\" ><arguments></arguments></invoke>";
    };
    Strings sent = calls();
    std::erase_if(sent, [&](const std::string& call) {
        return call.find(named("click")) == std::string::npos &&
               call.find(named("doubleClick")) == std::string::npos;
    });
    EXPECT_EQ(sent, (Strings{"play: " + named("click"), "play: " + named("doubleClick")}))
        << "only the preview's press clicks the movie";
}

TEST_F(MainWindowTest, TheBossKeyHidesEverythingAndThenBringsItBack) {
    ASSERT_TRUE(window.registerHotKey("3_81"));
    window.playInPreview(std::string("vid=4"));
    window.setShowState(BaseDlg::kShowMaximized);
    MSG press{window.GetSafeHwnd(), WM_HOTKEY, BaseDlg::kHotKeyId, MAKELPARAM(3, 81)};
    window.PreTranslateMessage(&press);
    EXPECT_TRUE(window.inTray());
    EXPECT_FALSE(window.IsWindowVisible());
    EXPECT_FALSE(window.previewWindow().IsWindowVisible());
    window.PreTranslateMessage(&press);
    EXPECT_FALSE(window.inTray());
    EXPECT_TRUE(window.isMaximized());
    EXPECT_TRUE(window.previewWindow().IsWindowVisible());
    const Strings sent = calls();
    auto count = [&](const std::string& name) {
        return std::count_if(sent.begin(), sent.end(), [&](const std::string& s) {
            return s.find("name=\"" + name + "\"") != std::string::npos;
        });
    };
    EXPECT_EQ(count("doPause"), 2) << "both movies paused";
    EXPECT_EQ(count("doResume"), 2) << "both movies resumed";
    EXPECT_EQ(count("sendKeyCode"), 2) << "the key went to the movie each time";
}

TEST_F(MainWindowTest, TheTrayIconRestoresOnALeftClickOnly) {
    window.minimizeToTray();
    window.SendMessage(BaseDlg::kTrayMessage, BaseDlg::kTrayIconId, WM_LBUTTONDOWN);
    EXPECT_TRUE(window.inTray());
    window.SendMessage(BaseDlg::kTrayMessage, 99, WM_LBUTTONUP);
    EXPECT_TRUE(window.inTray()) << "another icon";
    window.SendMessage(BaseDlg::kTrayMessage, BaseDlg::kTrayIconId, WM_LBUTTONUP);
    EXPECT_FALSE(window.inTray());
}

TEST_F(MainWindowTest, BothMovieWindowsKeepTheirDesignSizeAndOnlyLogTheContextMenu) {
    test_support::CapturedLog log;
    struct Case {
        BaseDlg& window;
        POINT designSize;
        std::string logLine;
    };
    for (const Case& c :
         {Case{window, {960, 594}, "CMyKolvarDlg::OnContextMenu:7"},
          Case{window.previewWindow(), {359, 204}, "PreviewDlg::OnContextMenu:7"}}) {
        MINMAXINFO info{};
        c.window.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(info.ptMinTrackSize.x, c.designSize.x);
        EXPECT_EQ(info.ptMinTrackSize.y, c.designSize.y);
        EXPECT_EQ(c.window.SendMessage(WM_CONTEXTMENU, 7, 0), 0);
        ASSERT_FALSE(log.lines().empty());
        EXPECT_EQ(log.lines().back(), c.logLine);
    }
}

TEST_F(MainWindowTest, CloseInPlayModeReturnsToTheMainMovie) {
    window.mainPlayer().handleCommand("setarg", "vid=5");
    window.setShowState(BaseDlg::kShowMaximized);
    window.flvPlayer().handleCommand("Close", "");
    EXPECT_EQ(window.currentPlayer(), &window.mainPlayer());
    EXPECT_FALSE(window.isMaximized());
    EXPECT_FALSE(window.flvPlayer().isReady()) << "the video is stopped";
}

TEST_F(MainWindowTest, PlayMovieCommandsActOnTheWindowThatHostsTheVideo) {
    window.mainPlayer().handleCommand("setarg", "vid=7");
    window.flvPlayer().handleCommand("Full", "");
    EXPECT_TRUE(window.isMaximized()) << "play mode: the main window";
    window.setShowState(BaseDlg::kShowNormal);
    window.mainPlayer().handleCommand("Back", "");
    ASSERT_TRUE(window.isPreviewShown());
    window.flvPlayer().handleCommand("Front", "");
    EXPECT_TRUE(window.isTopMost()) << "a normal-size preview: the main window";
    EXPECT_FALSE(window.previewWindow().isTopMost());
    window.flvPlayer().handleCommand("Full", "");
    EXPECT_TRUE(window.previewWindow().isMaximized()) << "preview mode: the preview window";
    EXPECT_FALSE(window.isMaximized());
    window.flvPlayer().handleCommand("MinToTray", "");
    EXPECT_FALSE(window.isPreviewShown()) << "in preview mode it closes the preview";
    EXPECT_FALSE(window.inTray());
    EXPECT_FALSE(window.flvPlayer().isReady());
    window.flvPlayer().handleCommand("Full", "");
    EXPECT_TRUE(window.previewWindow().isMaximized()) << "a stopped video's commands are ignored";
}

TEST_F(MainWindowTest, AMaximisedPreviewGoesOnTopItselfAndBothMoviesAreTold) {
    window.playInPreview(std::string("vid=9"));
    window.flvPlayer().handleCommand("Full", "");
    ASSERT_TRUE(window.previewWindow().isMaximized());
    window.flvPlayer().handleCommand("Front", "");
    EXPECT_TRUE(window.previewWindow().isTopMost());
    EXPECT_FALSE(window.isTopMost());
    const Strings made = calls();
    ASSERT_GE(made.size(), 2u);
    EXPECT_EQ(
        Strings(made.end() - 2, made.end()),
        (Strings{flash_requests::setWindow(true), "play: " + flash_requests::setWindow(true)}));
    window.flvPlayer().handleCommand("Behind", "");
    EXPECT_FALSE(window.previewWindow().isTopMost());
    EXPECT_EQ(calls().back(), "play: " + flash_requests::setWindow(false));
}

TEST_F(MainWindowTest, AMovieAnsweringACallWithTheCommandThatMadeTheCallIsNotFollowedForever) {
    // Front tells both movies the window is on top; this play movie answers with Front again.
    test_support::writeFile(dir.file("clientplayer.swf"), "on SetWindow fscommand Front\n");
    window.mainPlayer().handleCommand("setarg", "vid=8");
    ASSERT_EQ(window.currentPlayer(), &window.flvPlayer());
    window.flvPlayer().handleCommand("Front", "");
    EXPECT_TRUE(window.isTopMost());
    const Strings made = calls();
    const auto toPlayMovie =
        std::count(made.begin(), made.end(), "play: " + flash_requests::setWindow(true));
    EXPECT_EQ(toPlayMovie, FlashShell::kMaxCallDepth);
    window.flvPlayer().doPause();
    EXPECT_EQ(calls().back(), "play: " + flash_requests::doPause()) << "later calls are made";
}

using MainWindowDeathTest = MainWindowTest;

TEST_F(MainWindowDeathTest, CloseEndsTheProgramInMainModeAndFromTheTray) {
    EXPECT_EXIT(window.mainPlayer().handleCommand("Close", ""), testing::ExitedWithCode(0), "");
    window.mainPlayer().handleCommand("setarg", "vid=6");
    window.mainPlayer().handleCommand("Back", "");
    ASSERT_TRUE(window.isPreviewShown());
    EXPECT_EXIT(window.mainPlayer().handleCommand("Close", ""), testing::ExitedWithCode(0), "")
        << "preview mode";
    window.playInMainWindow(std::nullopt);
    window.minimizeToTray();
    EXPECT_EXIT(window.flvPlayer().handleCommand("Close", ""), testing::ExitedWithCode(0), "");
}

}  // namespace
