// Each movie command of the two shells reaches exactly the right request of their host, or
// of the window that hosts the video, against a fake host that records them.
#include <sstream>

#include "flash/flash_requests.h"
#include "player/flv_player.h"
#include "player/main_player.h"
#include "resources/player_resources.h"
#include "tests/support/headless_fixture.h"

namespace {

using Strings = std::vector<std::string>;

class RecordingHost final : public ShellHost {
  public:
    explicit RecordingHost(Strings& log) : log_(log) {}
    bool previewShown = false;

    void closeWindow() override { log_.push_back("closeWindow"); }
    void showWindowAs(BaseDlg::ShowRequest r) override { note("showWindowAs", r); }
    void keepOnTop(bool topmost) override { note("keepOnTop", topmost); }
    void showAndActivateWindow() override { log_.push_back("showAndActivateWindow"); }
    void hideToTray() override { log_.push_back("hideToTray"); }
    void backToMainMovie() override { log_.push_back("backToMainMovie"); }
    void resumeVideoInMainWindow() override { log_.push_back("resumeVideoInMainWindow"); }
    void setMovieArg(const std::string& query) override { note("setMovieArg", query); }
    bool isPreviewShown() const override { return previewShown; }
    void closePreview() override { log_.push_back("closePreview"); }
    void setHotKey(const std::string& keys) override { note("setHotKey", keys); }
    void clearHotKey() override { log_.push_back("clearHotKey"); }
    void sendToMainMovie(const std::string& message) override { note("toMain", message); }
    void sendToPlayMovie(const std::string& message) override { note("toPlay", message); }

  private:
    template <class T>
    void note(const char* name, const T& value) {
        std::ostringstream line;
        line << name << ' ' << std::boolalpha << value;
        log_.push_back(line.str());
    }
    Strings& log_;
};

// Stands in for the main window or the preview as the window that hosts the video.
class RecordingWindow : public BaseDlg {
  public:
    explicit RecordingWindow(Strings& log)
        : BaseDlg(*resources::playerResources().dialog(resources::IDD_PREVIEW)), log_(log) {}
    bool maximized = false;

    void close() override { log_.push_back("window close"); }
    void setShowState(int request) override {
        log_.push_back("window showAs " + std::to_string(request));
    }
    bool isMaximized() override { return maximized; }
    void setTopMost() override { log_.push_back("window setTopMost"); }
    void clearTopMost() override { log_.push_back("window clearTopMost"); }

  private:
    Strings& log_;
};

struct Case {
    const char* command;
    const char* args;
    bool previewShown;
    bool maximized;
    Strings requests;
};

class ShellHostTest : public test_support::HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        test_support::writeFile(dir.file("registry.reg"),
                                test_support::flashControlRegistry(SCRIPTMOVIE_MODULE));
        setenv("VEXO_REGISTRY", dir.file("registry.reg").c_str(), 1);
        setenv("VEXO_SCRIPTMOVIE_TRACE", dir.file("movie.trace").c_str(), 1);
        test_support::writeFile(movie, "");
        ASSERT_TRUE(window.Create(nullptr));
    }
    void TearDown() override {
        unsetenv("VEXO_REGISTRY");
        unsetenv("VEXO_SCRIPTMOVIE_TRACE");
    }
    // Runs each case on a playing shell and checks the requests it made, in order.
    template <class Shell>
    void check(Shell& shell, const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            if (!shell.isReady()) shell.play(movie, Shell::kControlId);
            host.previewShown = c.previewShown;
            window.maximized = c.maximized;
            log.clear();
            shell.handleCommand(c.command, c.args);
            EXPECT_EQ(log, c.requests)
                << c.command << " preview " << c.previewShown << " maximised " << c.maximized;
        }
    }

    test_support::TempDir dir;
    const std::string movie = dir.file("m.txt");
    Strings log;
    RecordingHost host{log};
    RecordingWindow window{log};
};

TEST_F(ShellHostTest, MainMovieCommandsAskTheHost) {
    MainPlayer shell(host);
    shell.setParentWindow(&window);
    check(shell, {
                     {"Close", "", false, false, {"closeWindow"}},
                     {"ClosePreview", "", false, false, {}},
                     {"ClosePreview", "", true, false, {"closePreview"}},
                     {"Back", "", false, false, {"backToMainMovie"}},
                     {"Min", "", false, false, {"showWindowAs 2"}},
                     {"MinToTray", "", false, false, {"hideToTray"}},
                     {"Full", "", false, false, {"showWindowAs 3"}},
                     {"Resume", "", false, false, {"showWindowAs 1"}},
                     {"Turnoff", "", false, false, {}},
                     {"Front", "", false, true, {"keepOnTop true"}},
                     {"Behind", "", false, true, {"keepOnTop false"}},
                     {"setarg", "vid=1", false, false, {"setMovieArg vid=1"}},
                     {"RegisterHotKey", "3_81", false, false, {"setHotKey 3_81"}},
                     {"UnregisterHotKey", "", false, false, {"clearHotKey"}},
                     {"SendMessage", "a<b", false, false, {"toPlay a<b"}},
                     {"Window", "", false, false, {}},
                     {"close", "", false, false, {}},
                 });
}

TEST_F(ShellHostTest, GetStatusAnswersTheMainMovieWhetherThePreviewIsShown) {
    MainPlayer shell(host);
    shell.setParentWindow(&window);
    shell.play(movie, MainPlayer::kControlId);
    shell.handleCommand("GetStatus", "");
    host.previewShown = true;
    shell.handleCommand("GetStatus", "");
    const std::string trace = test_support::readFile(dir.file("movie.trace"));
    const auto first = trace.find(flash_requests::withString("GetStatus", "false"));
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(trace.find(flash_requests::withString("GetStatus", "true"), first),
              std::string::npos);
}

TEST_F(ShellHostTest, PlayMovieCommandsActOnItsWindowOrAskTheHost) {
    FlvPlayer shell(host);
    shell.setHostWindow(window);
    check(shell, {
                     {"Close", "", false, false, {"window close", "showAndActivateWindow"}},
                     {"Min", "", false, false, {"window showAs 2"}},
                     {"MinToTray", "", false, false, {"hideToTray"}},
                     {"MinToTray", "", true, false, {"window close", "showAndActivateWindow"}},
                     {"Full", "", true, false, {"window showAs 3"}},
                     {"Resume", "", false, false, {"window showAs 1"}},
                     {"Resume",
                      "",
                      true,
                      false,
                      {"window showAs 1", "resumeVideoInMainWindow", "showAndActivateWindow"}},
                     {"Front", "", true, false, {"keepOnTop true"}},
                     {"Front", "", true, true, {"window setTopMost"}},
                     {"Behind", "", false, false, {"keepOnTop false"}},
                     {"Behind", "", false, true, {"window clearTopMost"}},
                     {"Turnoff", "", false, false, {}},
                     {"loadcomplete", "", false, false, {}},
                     {"Window", "", true, false, {"backToMainMovie"}},
                     {"setarg", "vid=2", false, false, {"setMovieArg vid=2"}},
                     {"RegisterHotKey", "3_81", false, false, {"setHotKey 3_81"}},
                     {"UnregisterHotKey", "", false, false, {"clearHotKey"}},
                     {"SendMessage", "hi", false, false, {"toMain hi"}},
                     {"Back", "", false, false, {}},
                 });
}

TEST_F(ShellHostTest, ClosingThePlayMovieAlsoStopsIt) {
    FlvPlayer shell(host);
    shell.setHostWindow(window);
    shell.play(movie, FlvPlayer::kControlId);
    shell.handleCommand("Close", "");
    EXPECT_FALSE(shell.isReady());
    EXPECT_NE(test_support::readFile(dir.file("movie.trace")).find(flash_requests::videoStop()),
              std::string::npos);
}

}  // namespace
