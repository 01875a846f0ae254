// The launcher on real windows: the GTK backend under a private X server, the splash's movie
// and the player's main movie played by the web movie control, the update served by a local
// server, the updater and the player real. Screenshots are kept in the build tree
// (LAUNCHER_SHOTS_DIR).
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "tests/support/gtk/private_x_server.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/program_run.h"
#include "tests/support/screen_pixels.h"
#include "update/digest/md5.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

using test_support::isBlue;
using test_support::isGreen;
using test_support::isRed;
using test_support::pixelAt;
using test_support::Rgb;

// The update server: serves fixed files and holds the manifest back until the test opens the
// gate, so that the splash stays up while the test looks at it.
class GatedServer {
  public:
    explicit GatedServer(std::map<std::string, std::string> files) : files_(std::move(files)) {
        server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            serve(request, response);
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::sleep_for(1ms);
    }
    ~GatedServer() {
        open();
        server_.stop();
        thread_.join();
    }
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    int port() const { return port_; }
    std::vector<std::string> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

  private:
    void serve(const httplib::Request& request, httplib::Response& response) {
        std::unique_lock lock(mutex_);
        requests_.push_back(request.path);
        if (request.path == "/version.xml") opened_.wait(lock, [this] { return open_; });
        if (request.path == "/clientlog") {
            response.status = 204;
            return;
        }
        const auto file = files_.find(request.path);
        if (file == files_.end()) {
            response.status = 404;
            return;
        }
        response.set_content(file->second, "application/octet-stream");
    }

    const std::map<std::string, std::string> files_;
    httplib::Server server_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
    std::vector<std::string> requests_;
    std::thread thread_;
};

void keepScreenshot(const std::string& name) {
    EXPECT_TRUE(test_support::keepScreenshot(LAUNCHER_SHOTS_DIR, name));
}

std::string commandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        pclose(pipe);
    }
    return out;
}

struct Geometry {
    int x = -1, y = -1, width = -1, height = -1;
};

// Where the visible window of that exact title is, per xdotool; all -1 when there is none.
Geometry visibleWindow(const std::string& title) {
    const std::string out = commandOutput("xdotool search --onlyvisible --name '^" + title +
                                          "$' getwindowgeometry --shell 2>/dev/null");
    Geometry g;
    std::sscanf(out.c_str(), "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &g.x, &g.y, &g.width,
                &g.height);
    return g;
}

// The processes running the program file `path`.
std::vector<pid_t> processesOf(const std::string& path) {
    std::vector<pid_t> pids;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::error_code error;
        if (fs::read_symlink(entry.path() / "exe", error) == path) {
            pids.push_back(static_cast<pid_t>(std::stoi(entry.path().filename().string())));
        }
    }
    return pids;
}

std::string page(const char* colour) {
    return "<!DOCTYPE html><html><body style=\"margin:0;background:" + std::string(colour) +
           "\"></body></html>";
}

std::string md5Of(const std::string& bytes) {
    Md5 md5;
    md5.addData(bytes.data(), bytes.size());
    return md5.hexDigest();
}

std::string remoteManifest(const std::string& launcher) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root><latest-ver>"
           "<update-no>2</update-no><flash-no>11.1</flash-no><no>2.0.2</no><files><file>"
           "<position></position><name>VexoClient.exe</name><md5-code>" +
           md5Of(launcher) + "</md5-code><length>" + std::to_string(launcher.size()) +
           "</length></file></files></latest-ver></root>\n";
}

void copyProgram(const std::string& from, const std::string& to) {
    fs::copy_file(from, to);
    fs::permissions(to, fs::perms::owner_all, fs::perm_options::add);
}

// An installation one update behind: the three programs, the splash movie, the local manifest
// at update 1, the configuration, the movie control registered.
void layOutInstallation(const test_support::TempDir& dir, int port) {
    copyProgram(VEXO_LAUNCHER, dir.file("VexoClient.exe"));
    copyProgram(VEXO_UPDATER, dir.file("VexoClientUpdater.exe"));
    copyProgram(VEXO_PLAYER, dir.file("VexoClientPlay.exe"));
    test_support::writeFile(dir.file("welcome.swf"), page("#1030e0"));
    test_support::writeFile(dir.file("version.xml"),
                            "<ver><no>2.0.1</no><update-no>1</update-no></ver>\n");
    test_support::writeFile(
        dir.file("config.properties"),
        "server.host=127.0.0.1\nserver.port=" + std::to_string(port) + "\nserver.path=/\n");
    test_support::writeFile(dir.file("registry.reg"),
                            test_support::flashControlRegistry(WEBMOVIE_MODULE));
}

TEST(LauncherGui, TheSplashOpensCentredWithItsMovieAndTheHandOffReachesThePlayer) {
    gtk_test::PrivateXServer x;  // 1280 x 1024, no window manager, no compositor
    ASSERT_FALSE(x.display().empty());
    test_support::TempDir dir;
    // The release's launcher: the built one with a byte appended, so that its digest differs.
    const std::string newLauncher = test_support::readFile(VEXO_LAUNCHER) + "\n";
    GatedServer server({{"/version.xml", remoteManifest(newLauncher)},
                        {"/VexoClient.exe", newLauncher},
                        {"/client.swf", page("#e01010")},
                        {"/clientplayer.swf", page("#10d010")}});
    layOutInstallation(dir, server.port());
    test_support::ProgramRun launcher(
        dir.file("VexoClient.exe"), {}, dir.path(),
        {{"VEXO_BACKEND", "gtk"},
         {"VEXO_REGISTRY", dir.file("registry.reg")},
         {"VEXO_RUNTIME_DIR", dir.file("runtime")},
         {"VEXO_LOG_SERVER", "127.0.0.1:" + std::to_string(server.port())}});
    ASSERT_TRUE(launcher.started());

    // The splash, 960 x 594, centred on the screen, its movie drawn to the rounded corners.
    ASSERT_TRUE(test_support::waitUntil([] { return isBlue(pixelAt(640, 512)); }, 60s));
    keepScreenshot("launcher-splash");
    const Geometry splash = visibleWindow("正在启动中...");
    EXPECT_EQ(splash.width, 960);
    EXPECT_EQ(splash.height, 594);
    EXPECT_EQ(splash.x, (1280 - 960) / 2);
    EXPECT_EQ(splash.y, (1024 - 594) / 2);
    EXPECT_TRUE(isBlue(pixelAt(165, 220)));
    EXPECT_TRUE(isBlue(pixelAt(1115, 804)));
    EXPECT_FALSE(isBlue(pixelAt(160, 215))) << "rounded corner";
    EXPECT_FALSE(isBlue(pixelAt(159, 512))) << "left of the splash";
    EXPECT_EQ(launcher.wait(0ms), std::nullopt) << "the launcher ended before its checks";

    // The update: the new launcher downloaded, the updater swaps it in and starts the player,
    // whose main window shows the served main movie.
    server.open();
    EXPECT_EQ(launcher.wait(60s), 0);
    ASSERT_TRUE(test_support::waitUntil([] { return isRed(pixelAt(640, 512)); }, 60s));
    keepScreenshot("launcher-hand-off-main-window");
    const Geometry main = visibleWindow("Vexa视讯PC客户端");
    EXPECT_EQ(main.width, 960);
    EXPECT_EQ(main.height, 594);
    EXPECT_EQ(test_support::readFile(dir.file("VexoClient.exe")), newLauncher);
    EXPECT_FALSE(fs::exists(dir.file("update/VexoClient.exe")));
    EXPECT_NE(test_support::readFile(dir.file("version.xml")).find("<update-no>2</update-no>"),
              std::string::npos);
    EXPECT_EQ(server.requests(), (std::vector<std::string>{"/version.xml", "/VexoClient.exe",
                                                           "/clientlog", "/client.swf"}));

    const std::string player = fs::canonical(dir.file("VexoClientPlay.exe")).string();
    for (pid_t pid : processesOf(player)) kill(pid, SIGTERM);
    EXPECT_TRUE(test_support::waitUntil([&] { return processesOf(player).empty(); }, 10s));
}

}  // namespace
