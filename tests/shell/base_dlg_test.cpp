#include "shell/base_dlg.h"
#include "platform/messages.h"
#include "platform/shell_services.h"
#include "platform/ui_trace.h"
#include "shell/hot_key_text.h"
#include "shell/size_zone.h"
#include "tests/support/captured_log.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/trace_text.h"
#include "tests/support/virtual_clock.h"

using namespace platform;
using Strings = std::vector<std::string>;

namespace {

constexpr DialogTemplate kPopup{102, WS_POPUP | DS_SETFONT, 0, 0, 0, 100, 60, "", "宋体", 9, {}};

class RecordingDlg : public BaseDlg {
  public:
    using BaseDlg::BaseDlg;
    std::vector<bool> topMostChanges;
    void onTopMostChanged(bool topmost) override { topMostChanges.push_back(topmost); }
};

class BaseDlgTest : public test_support::HeadlessTest {
  protected:
    void SetUp() override {
        test_support::installScriptedBackend(dir, script(), dir.file("trace"));
        logBefore = logLines().size();
    }
    virtual std::string script() { return "hotkey-taken 2 81\n"; }
    Strings logLines() const { return log.lines(); }
    Strings newLogLines() const {
        const Strings all = logLines();
        return Strings(all.begin() + static_cast<std::ptrdiff_t>(logBefore), all.end());
    }
    // The trace's events that begin with `prefix`, without their times.
    Strings traceOf(const std::string& prefix) const {
        Strings lines;
        for (const auto& line : test_support::traceLines(test_support::readFile(dir.file("trace"))))
            if (line.event.starts_with(prefix)) lines.push_back(line.event);
        return lines;
    }
    void shown(BaseDlg& dlg, Window* parent = nullptr) {
        ASSERT_TRUE(dlg.Create(parent));
        dlg.ShowWindow(SW_SHOW);
    }

    test_support::TempDir dir;
    test_support::CapturedLog log;
    std::size_t logBefore = 0;
};

TEST_F(BaseDlgTest, AdjustSizeCentresOnTheParentAndKeepsNegativeOffsets) {
    Window parent;
    ASSERT_TRUE(parent.CreateEx(0, "P", "", WS_POPUP, RECT{0, 0, 1920, 1080}, nullptr, 0));
    RecordingDlg dlg(kPopup, &parent);
    shown(dlg, &parent);
    dlg.adjustSize(960, 594, true);
    EXPECT_EQ(dlg.GetWindowRect(), (RECT{480, 243, 1440, 837}));
    parent.MoveWindow(100, 100, 500, 300);
    dlg.adjustSize(960, 594, true);
    EXPECT_EQ(dlg.GetWindowRect().left, 100 + (500 - 960) / 2);
    EXPECT_EQ(dlg.GetWindowRect().top, 100 + (300 - 594) / 2);
    dlg.adjustSize(200, 100, false);
    EXPECT_EQ(dlg.GetWindowRect(), (RECT{-130, -47, 70, 53})) << "keeps its top left";
    EXPECT_EQ(newLogLines(), (Strings{"BaseDlg::adjustSize.parent is exist",
                                      "BaseDlg::adjustSize.parent is exist"}));
}

TEST_F(BaseDlgTest, TheLauncherVariantLogsTheDesktopAndTheReference) {
    RecordingDlg dlg(kPopup, nullptr, BaseDlg::Variant::Launcher);
    shown(dlg);
    dlg.adjustSize(960, 594, true);
    EXPECT_EQ(dlg.GetWindowRect(), (RECT{480, 243, 1440, 837})) << "centred on the desktop";
    EXPECT_EQ(newLogLines(),
              (Strings{"GetDesktopWindow!", "BaseDlg::adjustSize.parent is exist",
                       "BaseDlg::adjustSize.prect.left:0", "BaseDlg::adjustSize.prect.top:0"}));
}

TEST_F(BaseDlgTest, BorderZonesStartSixPixelsInsideEachEdge) {
    const RECT client{0, 0, 960, 594};
    EXPECT_EQ(size_zone::classify(client, 960 - 7, 300), 0);
    EXPECT_EQ(size_zone::classify(client, 960 - 6, 300), 5);
    EXPECT_EQ(size_zone::classify(client, 6, 300), 2);
    EXPECT_EQ(size_zone::classify(client, 7, 300), 0);
    EXPECT_EQ(size_zone::classify(client, 0, 0), 1);
    EXPECT_EQ(size_zone::classify(client, 0, 593), 3);
    EXPECT_EQ(size_zone::classify(client, 959, 0), 4);
    EXPECT_EQ(size_zone::classify(client, 959, 593), 6);
    EXPECT_EQ(size_zone::classify(client, 480, 0), 7);
    EXPECT_EQ(size_zone::classify(client, 480, 593), 8);
    EXPECT_EQ(size_zone::cursorOf(1), IDC_SIZENWSE);
    EXPECT_EQ(size_zone::sizingCommandOf(8), 0xF006u);
    EXPECT_EQ(size_zone::sizingCommandOf(0), 0u);
}

TEST_F(BaseDlgTest, ZonesFollowTheMouseOnlyWhileNormalAndResizable) {
    RecordingDlg dlg(kPopup);
    shown(dlg);
    dlg.adjustSize(960, 594, false);
    dlg.updateSizeZone(MSG{dlg.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(959, 300)});
    EXPECT_EQ(dlg.sizeZone(), 5);
    EXPECT_EQ(traceOf("cursor"), (Strings{"cursor 32644"}));
    dlg.setResizable(false);
    dlg.updateSizeZone(MSG{dlg.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(0, 0)});
    EXPECT_EQ(dlg.sizeZone(), 5) << "unchanged while not resizable";
    EXPECT_FALSE(dlg.applySizeCursor());
}

TEST_F(BaseDlgTest, ShowStateRequestsWithTheLightsOffAndOnAMinimisedWindow) {
    RecordingDlg dlg(kPopup);
    shown(dlg);
    dlg.toggleLights(dlg.GetSafeHwnd());
    ASSERT_TRUE(dlg.isLightsOff());
    const auto activationsBefore = traceOf("activate").size();
    dlg.setShowState(BaseDlg::kShowMinimized);
    EXPECT_EQ(dlg.GetWindowPlacement().showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_EQ(traceOf("activate").size(), activationsBefore) << "not brought forward either";
    dlg.toggleLights(dlg.GetSafeHwnd());
    dlg.setShowState(BaseDlg::kShowMinimized);
    EXPECT_EQ(dlg.GetWindowPlacement().showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
    const auto activations = traceOf("activate").size();
    dlg.setShowState(BaseDlg::kToggleMaximized);
    EXPECT_EQ(dlg.GetWindowPlacement().showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
    EXPECT_EQ(traceOf("activate").size(), activations + 1) << "but brought forward";
    dlg.setShowState(BaseDlg::kShowNormal);
    dlg.setShowState(BaseDlg::kToggleMaximized);
    EXPECT_TRUE(dlg.isMaximized());
    dlg.setShowState(BaseDlg::kToggleMaximized);
    EXPECT_FALSE(dlg.isMaximized());
}

TEST_F(BaseDlgTest, RestoringFromTheTrayReturnsToMaximisedThroughNormal) {
    RecordingDlg dlg(kPopup);
    shown(dlg);
    dlg.setShowState(BaseDlg::kShowMaximized);
    dlg.minimizeToTray();
    EXPECT_TRUE(dlg.inTray());
    EXPECT_FALSE(dlg.IsWindowVisible());
    const auto statesBefore = traceOf("state").size();
    dlg.restoreFromTray();
    const Strings states = traceOf("state");
    ASSERT_EQ(states.size(), statesBefore + 2);
    EXPECT_NE(states[statesBefore].find("normal"), std::string::npos);
    EXPECT_NE(states[statesBefore + 1].find("maximized"), std::string::npos);
    EXPECT_TRUE(dlg.isMaximized());
    EXPECT_FALSE(dlg.inTray());
    dlg.restoreFromTray();
    EXPECT_EQ(traceOf("state").size(), states.size()) << "not in the tray: nothing happens";
}

TEST_F(BaseDlgTest, ClearTopMostInTheTrayKeepsTheWindowTopmostInThePlayerOnly) {
    RecordingDlg player(kPopup);
    shown(player);
    player.setTopMost();
    player.minimizeToTray();
    player.clearTopMost();
    EXPECT_TRUE(player.IsTopMost());
    EXPECT_TRUE(player.isTopMost());
    EXPECT_EQ(player.topMostChanges, (std::vector<bool>{true}));

    RecordingDlg launcher(kPopup, nullptr, BaseDlg::Variant::Launcher);
    shown(launcher);
    launcher.setTopMost();
    launcher.minimizeToTray();
    launcher.clearTopMost();
    EXPECT_FALSE(launcher.IsTopMost());
    EXPECT_EQ(launcher.topMostChanges, (std::vector<bool>{true, false}));
}

TEST_F(BaseDlgTest, HotKeyTextsRegisterOnlyWithAKey) {
    RecordingDlg dlg(kPopup);
    shown(dlg);
    EXPECT_TRUE(dlg.registerHotKey("3_81"));
    EXPECT_EQ(dlg.hotKey(), 81u);
    EXPECT_TRUE(dlg.unregisterHotKey());
    EXPECT_EQ(dlg.hotKey(), 0u);
    EXPECT_EQ(traceOf("hotkey").back(),
              "hotkey " + handleText(dlg.GetSafeHwnd()) + " 40962 released");
    logBefore = logLines().size();
    EXPECT_FALSE(dlg.registerHotKey("3_0"));
    EXPECT_FALSE(dlg.registerHotKey("3_"));
    EXPECT_FALSE(dlg.registerHotKey("3"));
    EXPECT_EQ(newLogLines(), (Strings{"BaseDlg::registerHotKey.keys:3_0", "ckey:3", "key:0",
                                      "BaseDlg::registerHotKey.keys:3_", "ckey:3", "key:0",
                                      "BaseDlg::registerHotKey.keys:3", "ckey:3", "key:0"}));
    logBefore = logLines().size();
    EXPECT_FALSE(dlg.registerHotKey("2_81")) << "held by another program";
    EXPECT_EQ(newLogLines().back(), "注册热键失败!");
    EXPECT_EQ(dlg.hotKey(), 0u);
    EXPECT_EQ(parseHotKeyText("12x_99999999999").key, 0xFFFFFFFFu);
}

TEST_F(BaseDlgTest, HotKeyTextsBeyondTheModifierKeysAndKeyCodesRegisterNothing) {
    // Each would otherwise be a combination of its own, and a movie could register without end.
    RecordingDlg dlg(kPopup);
    shown(dlg);
    for (const char* text : {"19_81", "4294967295_81", "3_337", "3_4294967295"}) {
        EXPECT_FALSE(dlg.registerHotKey(text)) << text;
    }
    EXPECT_TRUE(traceOf("hotkey").empty()) << "nothing reaches the window system";
    EXPECT_EQ(dlg.hotKey(), 0u);
    EXPECT_TRUE(dlg.registerHotKey("15_254")) << "all four modifier keys and the last key code";
}

TEST_F(BaseDlgTest, FadesStepTheAlphaEveryTenMillisecondsAndEndOnTheExtremes) {
    test_support::VirtualClock clock;
    RecordingDlg dlg(kPopup);
    shown(dlg);
    const auto start = clock.now();
    dlg.fadeIn(dlg.GetSafeHwnd());
    EXPECT_EQ(dlg.GetLayeredAlpha(), 255);
    EXPECT_EQ(clock.now() - start, std::chrono::milliseconds(260));
    EXPECT_EQ(traceOf("alpha").size(), 27u) << "26 steps and the final value";
    dlg.fadeOut(dlg.GetSafeHwnd());
    EXPECT_EQ(dlg.GetLayeredAlpha(), 0);
    EXPECT_EQ(clock.now() - start, std::chrono::milliseconds(520));
    EXPECT_TRUE(dlg.IsWindowVisible()) << "invisible but still shown";
    EXPECT_TRUE(dlg.GetExStyle() & WS_EX_LAYERED);
    EXPECT_EQ(traceOf("alpha").front(), "alpha " + handleText(dlg.GetSafeHwnd()) + " 1");
    // Each value holds for 10 ms; the last step's value is followed at once by the extreme.
    std::vector<std::int64_t> steps;
    const auto lines = test_support::traceLines(test_support::readFile(dir.file("trace")));
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (lines[i].event.starts_with("alpha ") && lines[i - 1].event.starts_with("alpha "))
            steps.push_back(lines[i].ms - lines[i - 1].ms);
    std::vector<std::int64_t> expected(53, 10);
    expected[26] = 0;  // the fade-in's end to the fade-out's first value
    EXPECT_EQ(steps, expected);
}

TEST_F(BaseDlgTest, ShapesAreRoundWhenNormalAndSquareWhenMaximised) {
    RecordingDlg dlg(kPopup);
    shown(dlg);
    dlg.adjustSize(960, 594, true);
    dlg.updateShape();
    ASSERT_NE(dlg.windowRegion(), nullptr);
    EXPECT_EQ(*dlg.windowRegion(), (Region{RECT{0, 0, 960, 594}, 20, 20}));
    dlg.setShowState(BaseDlg::kShowMaximized);
    dlg.updateShape();
    EXPECT_EQ(*dlg.windowRegion(), (Region{RECT{0, 0, 1921, 1041}, 0, 0}));
}

class BaseDlgMenuTest : public BaseDlgTest {
  protected:
    std::string script() override { return "menu 32771\n"; }
};

TEST_F(BaseDlgMenuTest, TheContextMenuIsTrackedAtTheCursorAndItsChoiceComesBack) {
    RecordingDlg dlg(kPopup);
    shown(dlg);
    dlg.showContextMenu();
    EXPECT_TRUE(traceOf("menu").empty()) << "no menu set";
    static constexpr MenuItemTemplate kItems[] = {{32771, "置顶", 0}};
    Menu menu;
    menu.LoadMenu(MenuTemplate{130, kItems});
    dlg.setContextMenu(&menu);
    dlg.showContextMenu();
    ASSERT_EQ(traceOf("menu").size(), 1u);
    MSG msg;
    ASSERT_TRUE(peekMessage(msg, true));
    EXPECT_EQ(msg.message, WM_COMMAND);
    EXPECT_EQ(msg.wParam, 32771u);
}

}  // namespace
