// The starter as a person's desktop runs it: its own copy beside a package copy, two of them at
// once, one killed midway, and the launcher it hands over to.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <memory>

#include "tests/starter/seed_tree.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/program_run.h"

namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;
using starter_test::sameTree;
using test_support::ProgramRun;
using test_support::readFile;

// The stand-in launcher writes down where it ran and with which arguments, in one write.
constexpr const char* kRecordingLauncher =
    "#!/bin/sh\nline=$(pwd)\nfor a in \"$@\"; do line=\"$line[$a]\"; done\n"
    "printf '%s\\n' \"$line\" >>\"$STARTS\"\n";

class StarterRun : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(root() / "usr" / "bin");
        fs::copy_file(VEXO_STARTER, starter());
    }
    fs::path root() const { return fs::path(dir_.path()) / "root"; }
    fs::path starter() const { return root() / "usr" / "bin" / "vexo-client"; }
    fs::path seed() const { return root() / "usr" / "lib" / "vexo-client"; }
    fs::path home() const { return fs::path(dir_.path()) / "home"; }
    fs::path installation() const { return home() / ".local" / "share" / "vexo" / "client"; }
    std::string starts() const { return dir_.file("starts"); }

    std::unique_ptr<ProgramRun> start(const std::vector<std::string>& args = {}) {
        return std::make_unique<ProgramRun>(
            starter().string(), args, dir_.path(),
            std::map<std::string, std::string>{{"HOME", home().string()},
                                               {"XDG_DATA_HOME", ""},
                                               {"VEXO_REGISTRY", ""},
                                               {"STARTS", starts()}},
            dir_.file("stdout"), dir_.file("stderr"));
    }
    int run(const std::vector<std::string>& args = {}) {
        return start(args)->wait(120s).value_or(-1);
    }

    test_support::TempDir dir_;
};

TEST_F(StarterRun, SeedsRegistersTheControlAndRunsTheLauncherThereWithItsArguments) {
    starter_test::writeSeed(seed(), 3, kRecordingLauncher);
    ASSERT_EQ(run({"-c", "a b"}), 0) << readFile(dir_.file("stderr"));
    EXPECT_TRUE(sameTree(seed(), installation()));
    EXPECT_EQ(readFile(starts()), installation().string() + "[-c][a b]\n");
    EXPECT_NE(readFile(dir_.file("stdout")).find("set up " + installation().string()),
              std::string::npos);
    const std::string registry = readFile(home() / ".local/share/vexo/registry.reg");
    EXPECT_NE(registry.find(installation().string() + "/libwebmovie.so"), std::string::npos)
        << registry;

    ASSERT_EQ(run(), 0);
    EXPECT_EQ(readFile(dir_.file("stdout")), "") << "nothing seeded or registered again";
    EXPECT_EQ(readFile(home() / ".local/share/vexo/registry.reg"), registry);
}

TEST_F(StarterRun, WithoutAnyInstallationItSaysWhatIsMissingAndStartsNothing) {
    starter_test::writeSeed(seed(), 3, kRecordingLauncher);
    fs::remove(seed() / "version.xml");
    EXPECT_EQ(run(), 1);
    EXPECT_NE(readFile(dir_.file("stderr")).find("incomplete"), std::string::npos);
    EXPECT_FALSE(fs::exists(starts()));
}

TEST_F(StarterRun, TwoStartersAtOnceLeaveOneWholeInstallationAndBothRunIt) {
    starter_test::writeSeed(seed(), 3, kRecordingLauncher, 200, 64 * 1024);
    auto first = start();
    auto second = start();
    EXPECT_EQ(first->wait(120s), 0);
    EXPECT_EQ(second->wait(120s), 0);
    EXPECT_TRUE(sameTree(seed(), installation()));
    const std::string line = installation().string() + "\n";
    EXPECT_EQ(readFile(starts()), line + line);
}

TEST_F(StarterRun, AStarterKilledWhileCopyingLeavesNothingTheNextStartCannotMend) {
    starter_test::writeSeed(seed(), 3, kRecordingLauncher, 400, 64 * 1024);
    const fs::path parent = installation().parent_path();
    // Killed while its copy has some files but not all of them.
    const auto copyUnderWay = [&] {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(parent, error)) {
            if (entry.path().filename().string().starts_with(".client.seed-") &&
                fs::exists(entry.path() / "data" / "part5")) {
                return true;
            }
        }
        return false;
    };
    auto killed = start();
    ASSERT_TRUE(test_support::waitUntil(copyUnderWay, 120s));
    ::kill(killed->pid(), SIGKILL);
    killed->wait(120s);
    ASSERT_FALSE(fs::exists(starts())) << "killed before the hand-off";
    EXPECT_FALSE(fs::exists(installation())) << "no half installation";

    ASSERT_EQ(run(), 0) << readFile(dir_.file("stderr"));
    EXPECT_TRUE(sameTree(seed(), installation()));
    std::vector<std::string> beside;
    for (const auto& entry : fs::directory_iterator(parent)) {
        beside.push_back(entry.path().filename().string());
    }
    std::sort(beside.begin(), beside.end());
    EXPECT_EQ(beside, (std::vector<std::string>{".client.lock", "client", "registry.reg"}));
}

}  // namespace
