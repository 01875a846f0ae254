// The player on real windows: the GTK backend under a private X server, HTML movies played by
// the web movie control. Screenshots are kept in the build tree (PLAYER_SHOTS_DIR).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "tests/support/gtk/private_x_server.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/program_run.h"
#include "tests/support/screen_pixels.h"

using namespace std::chrono_literals;

namespace {

using test_support::isBlue;
using test_support::isGreen;
using test_support::isRed;
using test_support::pixelAt;
using test_support::Rgb;

void keepScreenshot(const std::string& name) {
    EXPECT_TRUE(test_support::keepScreenshot(PLAYER_SHOTS_DIR, name));
}

// A page of one colour that raises the given commands at the given times.
std::string page(const char* colour, const std::string& script) {
    return "<!DOCTYPE html><html><body style=\"margin:0;background:" + std::string(colour) +
           "\"><script>" + script + "</script></body></html>";
}

void registerWebMovie(const test_support::TempDir& dir) {
    test_support::writeFile(dir.file("registry.reg"),
                            test_support::flashControlRegistry(WEBMOVIE_MODULE));
}

// The control registered, a red main movie that runs `mainScript` and a green play movie.
void writeMovies(const test_support::TempDir& dir, const std::string& mainScript) {
    registerWebMovie(dir);
    test_support::writeFile(dir.file("client.swf"), page("#e01010", mainScript));
    test_support::writeFile(dir.file("clientplayer.swf"), page("#10d010", ""));
}

std::map<std::string, std::string> playerEnvironment(const test_support::TempDir& dir) {
    return {{"VEXO_BACKEND", "gtk"},
            {"VEXO_REGISTRY", dir.file("registry.reg")},
            {"VEXO_RUNTIME_DIR", dir.file("runtime")}};
}

void xdotool(const std::string& arguments) {
    EXPECT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
}

TEST(PlayerGui, TheMainWindowPlayModeAndTheDockedPreviewOnScreen) {
    gtk_test::PrivateXServer x;  // 1280 x 1024, no window manager, no compositor
    ASSERT_FALSE(x.display().empty());
    test_support::TempDir dir;
    // The movie raises its next command when the test raises the number in step.txt, so each
    // mode is looked at for as long as a loaded machine needs.
    test_support::writeFile(dir.file("step.txt"), "0");
    writeMovies(dir,
                "const steps = [() => fscommand('setarg', 'vid=1'), () => fscommand('Back', ''),"
                "               () => fscommand('Close', '')];"
                "let taken = 0;"
                "setInterval(() => fetch('step.txt?' + Date.now(), {cache: 'no-store'})"
                "  .then((r) => r.text()).then((t) => {"
                "    while (taken < Number(t) && taken < steps.length) steps[taken++](); })"
                "  .catch(() => {}), 100);");
    const auto step = [&](const char* n) { test_support::writeFile(dir.file("step.txt"), n); };
    test_support::ProgramRun player(VEXO_PLAYER, {dir.file("client.swf"), "-s"}, dir.path(),
                                    playerEnvironment(dir));
    ASSERT_TRUE(player.started());

    // Main mode: the 960 x 594 window centred on the screen, its corners cut round.
    // WebKit may take long to start on a loaded machine; the timeline starts with the page.
    ASSERT_TRUE(test_support::waitUntil([] { return isRed(pixelAt(640, 512)); }, 60s));
    keepScreenshot("main-window");
    EXPECT_TRUE(isRed(pixelAt(165, 220)));
    EXPECT_TRUE(isRed(pixelAt(1115, 804)));
    EXPECT_FALSE(isRed(pixelAt(160, 215))) << "rounded corner";
    EXPECT_FALSE(isRed(pixelAt(159, 512))) << "left of the window";

    // Play mode: the video fills the main window.
    step("1");
    ASSERT_TRUE(test_support::waitUntil([] { return isGreen(pixelAt(640, 512)); }, 60s));
    // Preview mode: the main movie is back, the video docked at the left screen edge, bottoms
    // aligned (the main window's left edge is less than the preview's width from the screen's).
    step("2");
    ASSERT_TRUE(test_support::waitUntil([] { return isRed(pixelAt(640, 512)); }, 60s));
    ASSERT_TRUE(test_support::waitUntil([] { return isGreen(pixelAt(100, 707)); }, 60s));
    keepScreenshot("preview-docked");
    EXPECT_TRUE(isGreen(pixelAt(2, 607)));
    EXPECT_FALSE(isGreen(pixelAt(100, 600))) << "above the preview";

    step("3");
    EXPECT_EQ(player.wait(60s), 0);
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The windows and the movies' views draw without OpenGL: the GL driver, with the shader compiler
// it brings, would cost the player some 20 MB.
TEST(PlayerGui, ThePlayerLoadsNoGlDriver) {
    gtk_test::PrivateXServer x;
    ASSERT_FALSE(x.display().empty());
    test_support::TempDir dir;
    writeMovies(dir, "setTimeout(() => fscommand('setarg', 'vid=1'), 500);");
    test_support::ProgramRun player(VEXO_PLAYER, {dir.file("client.swf"), "-s"}, dir.path(),
                                    playerEnvironment(dir));
    ASSERT_TRUE(test_support::waitUntil([] { return isGreen(pixelAt(640, 512)); }, 60s));
    const std::string maps = fileText("/proc/" + std::to_string(player.pid()) + "/maps");
    for (const char* driver : {"/dri/", "_mesa.so", "libLLVM"})
        EXPECT_EQ(maps.find(driver), std::string::npos) << driver;
}

// The movie's own widget takes the mouse, yet the window's filter sees it first: the top strip
// drags the window and the right button opens the window's menu, not the movie's.
TEST(PlayerGui, TheTopStripDragsTheWindowAndTheRightButtonOpensItsMenu) {
    gtk_test::PrivateXServer x;
    ASSERT_FALSE(x.display().empty());
    test_support::TempDir dir;
    writeMovies(dir, "");
    test_support::ProgramRun player(VEXO_PLAYER, {dir.file("client.swf"), "-s"}, dir.path(),
                                    playerEnvironment(dir));
    ASSERT_TRUE(test_support::waitUntil([] { return isRed(pixelAt(640, 512)); }, 60s));
    xdotool(
        "mousemove 640 225 mousedown 1 sleep 0.2 mousemove 660 240 sleep 0.2 "
        "mousemove 740 275 sleep 0.3 mouseup 1");
    // The window follows the pointer from where the drag began (the first move, 660,240): it
    // moved by (80, 35). The old left edge is empty, past the old right edge is the movie.
    ASSERT_TRUE(test_support::waitUntil([] { return isRed(pixelAt(1190, 512)); }, 60s));
    EXPECT_FALSE(isRed(pixelAt(200, 512)));
    xdotool("mousemove 700 600 click 3");
    // The menu's one item, "退出", is a light box drawn at the pointer.
    EXPECT_TRUE(test_support::waitUntil(
        [] {
            const Rgb c = pixelAt(720, 610);
            return c.r > 200 && c.g > 200 && c.b > 200;
        },
        60s));
    keepScreenshot("context-menu");
    xdotool("key Escape");
}

// Enter and Escape go to the movie through its sendKeyCode callback only; other keys reach it
// as keys too.
TEST(PlayerGui, EnterAndEscapeNeverReachTheMovieAsKeys) {
    gtk_test::PrivateXServer x;
    ASSERT_FALSE(x.display().empty());
    test_support::TempDir dir;
    writeMovies(dir,
                "addEventListener('keydown', (e) => {"
                "  document.body.style.background = e.key === 'a' ? '#10d010' : '#1010e0'; });"
                "external.addCallback('sendKeyCode', () => true);");
    test_support::ProgramRun player(VEXO_PLAYER, {dir.file("client.swf"), "-s"}, dir.path(),
                                    playerEnvironment(dir));
    ASSERT_TRUE(test_support::waitUntil([] { return isRed(pixelAt(640, 512)); }, 60s));
    xdotool("mousemove 640 512 click 1 sleep 0.3 key Escape sleep 0.2 key Return sleep 0.5");
    EXPECT_TRUE(isRed(pixelAt(640, 512))) << "the page saw Escape or Enter";
    xdotool("key a");
    EXPECT_TRUE(test_support::waitUntil([] { return isGreen(pixelAt(640, 512)); }, 60s));
}

}  // namespace
