// The Debian package as a person gets it: extracted into a root of the test's own, its starter
// seeds a home of the test's own, the seeded launcher updates from nginx (the site of
// docs/hosting.md) and hands over to the player; later starts, a newer package and two
// starters at once.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "tests/launcher/descendants.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/nginx_server.h"
#include "tests/support/program_run.h"

namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::NginxServer;
using test_support::ProgramRun;
using test_support::readFile;
using test_support::writeFile;
using Strings = std::vector<std::string>;

constexpr auto kLimit = 120s;

std::string commandOutput(const Strings& args, const std::string& dir) {
    const std::string out = dir + "/command.out";
    ProgramRun run(args[0], Strings(args.begin() + 1, args.end()), dir, {}, out);
    const auto code = run.wait(kLimit);
    EXPECT_EQ(code, 0) << args[0] << " " << args[1];
    return readFile(out);
}

// The processes whose program is `program`.
std::vector<pid_t> processesOf(const fs::path& program) {
    std::vector<pid_t> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code error;
        if (fs::read_symlink(entry.path() / "exe", error) == program) {
            found.push_back(std::stoi(name));
        }
    }
    return found;
}

std::string commandLineOf(pid_t pid) {
    std::string text = readFile("/proc/" + std::to_string(pid) + "/cmdline");
    std::replace(text.begin(), text.end(), '\0', ' ');
    return text;
}

class PackageRun : public ::testing::Test {
  protected:
    void SetUp() override {
        commandOutput({"/usr/bin/dpkg-deb", "-x", VEXO_DEB, root().string()}, dir_.path());
        fs::create_directories(home());
        writeFile(dir_.file("no-settings"), "");
    }
    // nginx is one of the test's children too: it goes before the wait for them.
    void TearDown() override {
        nginx_.reset();
        endPlayers();
        descendants_.waitForAll(kLimit);
    }

    fs::path root() const { return fs::path(dir_.path()) / "root"; }
    fs::path seed() const { return root() / "usr/lib/vexo-client"; }
    fs::path home() const { return fs::path(dir_.path()) / "home"; }
    fs::path installation() const { return home() / ".local/share/vexo/client"; }
    std::string web(const std::string& name) const { return dir_.file("www/" + name); }

    // As an operator's build would have it: the package's server is the test's nginx, with
    // the test's release key.
    void pointSeedAtNginx() {
        keyLine_ = commandOutput({VEXO_KEYGEN, dir_.file("release.key")}, dir_.path());
        fs::create_directories(web("vexo"));
        nginx_ = std::make_unique<NginxServer>(web(""), readFile(VEXO_HOSTING_SITE));
        ASSERT_TRUE(nginx_->running()) << nginx_->errorLog();
        writeFile(seed() / "config.properties",
                  "server.host = 127.0.0.1\nserver.port = " + std::to_string(nginx_->port()) +
                      "\nserver.path = /vexo/\n" + keyLine_);
    }

    // Release `number`: the package's files with a launcher one byte longer (so the updater
    // swaps it in) and a file of its own, published in a folder of its own.
    void publishRelease(int number) {
        const std::string folder = "files/2.0." + std::to_string(number) + "/";
        const fs::path files = web("vexo/" + folder);
        fs::create_directories(files.parent_path().parent_path());
        fs::copy(seed(), files, fs::copy_options::recursive);
        fs::remove(files / "config.properties");
        fs::remove(files / "version.xml");
        std::ofstream(files / "VexoClient.exe", std::ios::app) << '\n';
        writeFile(files / "release.txt", "release " + std::to_string(number) + "\n");
        commandOutput(
            {VEXO_MAKE_MANIFEST, "--sign", dir_.file("release.key"), "--files-under", folder,
             web("vexo"), std::to_string(number), "2.0." + std::to_string(number)},
            dir_.path());
        release_ = files;
    }

    std::unique_ptr<ProgramRun> startStarter(const std::string& settings, const std::string& out) {
        return std::make_unique<ProgramRun>(
            (root() / "usr/bin/vexo-client").string(), Strings{"-c"}, dir_.path(),
            std::map<std::string, std::string>{
                {"HOME", home().string()},
                {"XDG_DATA_HOME", ""},
                {"VEXO_REGISTRY", ""},
                {"VEXO_BACKEND", "headless"},
                {"VEXO_RUNTIME_DIR", dir_.file("runtime")},
                {"VEXO_UI_TRACE", dir_.file("ui.trace")},
                {"VEXO_SYSTEM_SETTINGS", settings},
                {"VEXO_LOG_SERVER", "127.0.0.1:" + std::to_string(nginx_ ? nginx_->port() : 9)}},
            dir_.file(out), dir_.file(out + ".err"));
    }

    // Runs the starter until the player it leads to is up; returns the starter's output.
    std::string startUntilThePlayerRuns(const std::string& settings) {
        const auto starter = startStarter(settings, "starter.out");
        EXPECT_TRUE(test_support::waitUntil([&] { return !players().empty(); }, kLimit))
            << readFile(dir_.file("starter.out")) << readFile(dir_.file("starter.out.err"));
        EXPECT_EQ(starter->wait(kLimit), 0) << "the launcher ends with its hand-off";
        return readFile(dir_.file("starter.out"));
    }

    std::vector<pid_t> players() const {
        return processesOf(installation() / "VexoClientPlay.exe");
    }
    // Kills the players, which the test process reaps as their subreaper (nginx lives on).
    void endPlayers() {
        for (pid_t pid : players()) ::kill(pid, SIGKILL);
        EXPECT_TRUE(test_support::waitUntil(
            [&] {
                descendants_.none();
                return players().empty();
            },
            kLimit));
    }

    std::string settingsOff() {
        writeFile(dir_.file("settings-off"), "self-update = off\n");
        return dir_.file("settings-off");
    }

    bool sameFiles(const fs::path& from, const fs::path& to) const {
        for (const auto& entry : fs::recursive_directory_iterator(from)) {
            if (!entry.is_regular_file()) continue;
            const fs::path other = to / entry.path().lexically_relative(from);
            if (!fs::exists(other) || readFile(entry.path()) != readFile(other)) return false;
        }
        return true;
    }

    test_support::TempDir dir_;
    launcher_test::Descendants descendants_;
    std::unique_ptr<NginxServer> nginx_;
    std::string keyLine_;
    fs::path release_;
};

TEST_F(PackageRun, HoldsTheClientItsEntriesAndTheBuildsServer) {
    const std::string depends =
        commandOutput({"/usr/bin/dpkg-deb", "-f", VEXO_DEB, "Depends"}, dir_.path());
    for (const char* package : {"gstreamer1.0-libav", "gstreamer1.0-plugins-good",
                                "libwebkit2gtk-4.1-0", "libgtk-3-0", "libavformat", "libcurl4"}) {
        EXPECT_NE(depends.find(package), std::string::npos) << package << " in " << depends;
    }
    for (const char* file :
         {"usr/bin/vexo-client", "usr/lib/vexo-client/VexoClient.exe",
          "usr/lib/vexo-client/VexoClientPlay.exe", "usr/lib/vexo-client/VexoClientUpdater.exe",
          "usr/lib/vexo-client/libwebmovie.so", "usr/lib/vexo-client/vexo-flv-remux",
          "usr/lib/vexo-client/webmovie-ruffle/ruffle.js", "usr/lib/vexo-client/welcome.swf",
          "usr/lib/vexo-client/Plus/install_flashplayer.exe",
          "usr/share/applications/vexo-client.desktop",
          "usr/share/icons/hicolor/scalable/apps/vexo-client.svg",
          "usr/share/metainfo/example.vexo.Client.metainfo.xml",
          "etc/vexo-client/client.properties"}) {
        EXPECT_TRUE(fs::is_regular_file(root() / file)) << file;
    }
    EXPECT_FALSE(fs::exists(seed() / "demo")) << "the demo's served movies stay out";
    EXPECT_EQ(readFile(seed() / "config.properties"),
              "server.host = " VEXO_UPDATE_HOST "\nserver.port = " VEXO_UPDATE_PORT
              "\nserver.path = " VEXO_UPDATE_PATH "\nupdate.publicKey = " VEXO_UPDATE_PUBLIC_KEY
              "\n");
    EXPECT_NE(
        readFile(seed() / "version.xml").find("<update-no>" VEXO_PACKAGE_UPDATE_NO "</update-no>"),
        std::string::npos);
    commandOutput({"/usr/bin/desktop-file-validate",
                   (root() / "usr/share/applications/vexo-client.desktop").string()},
                  dir_.path());
}

TEST_F(PackageRun, TheSeededLauncherUpdatesFromNginxAndLaterStartsKeepItUntilANewerPackage) {
    pointSeedAtNginx();
    publishRelease(VEXO_PACKAGE_UPDATE_NO_VALUE + 1);
    const std::string first = startUntilThePlayerRuns(dir_.file("no-settings"));
    EXPECT_NE(first.find("set up " + installation().string()), std::string::npos) << first;
    const auto player = players();
    ASSERT_EQ(player.size(), 1u);
    EXPECT_NE(commandLineOf(player[0]).find("http://127.0.0.1:" + std::to_string(nginx_->port()) +
                                            "/vexo/client.swf -s -c"),
              std::string::npos)
        << commandLineOf(player[0]);
    EXPECT_TRUE(sameFiles(release_, installation())) << "the release installed whole";
    EXPECT_NE(readFile(installation() / "version.xml")
                  .find("<update-no>" + std::to_string(VEXO_PACKAGE_UPDATE_NO_VALUE + 1)),
              std::string::npos);
    EXPECT_NE(readFile(home() / ".local/share/vexo/registry.reg")
                  .find(installation().string() + "/libwebmovie.so"),
              std::string::npos);
    const auto requests = nginx_->requests();
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(requests[0].uri, "/vexo/version.xml");
    EXPECT_EQ(requests[0].contentEncoding, "gzip");
    EXPECT_EQ(requests[2].uri.rfind("/vexo/files/2.0.", 0), 0u) << requests[2].uri;
    endPlayers();

    // The next start keeps the installation that updated itself past the package.
    const std::string second = startUntilThePlayerRuns(settingsOff());
    EXPECT_EQ(second.find("vexo-client:"), std::string::npos) << second;
    EXPECT_EQ(readFile(installation() / "release.txt"), readFile(release_ / "release.txt"));
    endPlayers();

    // A package with a higher number than the installation renews it.
    writeFile(seed() / "version.xml", "<ver><no>2.0.99</no><update-no>99</update-no></ver>\n");
    const std::string third = startUntilThePlayerRuns(settingsOff());
    EXPECT_NE(third.find("renewed " + installation().string()), std::string::npos) << third;
    EXPECT_FALSE(fs::exists(installation() / "release.txt"));
    EXPECT_TRUE(sameFiles(seed(), installation()));
}

TEST_F(PackageRun, TwoStartersAtOnceLeaveOneWholeInstallationAndOnePlayer) {
    const std::string settings = settingsOff();
    auto first = startStarter(settings, "first.out");
    auto second = startStarter(settings, "second.out");
    EXPECT_EQ(first->wait(kLimit), 0) << readFile(dir_.file("first.out.err"));
    EXPECT_EQ(second->wait(kLimit), 0) << readFile(dir_.file("second.out.err"));
    EXPECT_TRUE(test_support::waitUntil([&] { return players().size() == 1; }, kLimit));
    EXPECT_TRUE(sameFiles(seed(), installation()));
    const std::string seeded = readFile(dir_.file("first.out")) + readFile(dir_.file("second.out"));
    EXPECT_NE(seeded.find("set up " + installation().string()), std::string::npos) << seeded;
}

}  // namespace
