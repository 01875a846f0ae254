// The updater as the launcher starts it: the real executable in an installation directory,
// with a stand-in player that records the arguments it receives and the launcher it finds.
#include <sys/stat.h>

#include <filesystem>

#include "platform/os/command_line.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/pending_launcher.h"
#include "tests/support/program_run.h"
#include "updater/updater_app.h"

namespace {

namespace fs = std::filesystem;
using test_support::readFile;
using test_support::writeFile;
using Strings = std::vector<std::string>;
using namespace std::chrono_literals;

// Writes the argument count on a line, then each argument ended by a zero byte, and the
// launcher it sees, each file renamed into place once whole.
constexpr const char* kRecordingPlayer = R"(#!/bin/sh
if [ -f VexoClient.exe ]; then cat VexoClient.exe > launcher.tmp; mv launcher.tmp launcher.seen; fi
{ printf '%s\n' "$#"; for a in "$@"; do printf '%s\0' "$a"; done; } > args.tmp
mv args.tmp player.args
)";

class UpdaterRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(install("update"));
        writeFile(install("VexoClientPlay.exe"), kRecordingPlayer);
        fs::permissions(install("VexoClientPlay.exe"), fs::perms(0755));
        writeFile(install("VexoClient.exe"), "old launcher");
        fs::permissions(install("VexoClient.exe"), fs::perms(0755));
    }
    std::string install(const std::string& name) const { return dir.file(name); }

    // Runs the updater to its end and returns what the player received.
    Strings runUpdater(const Strings& args) {
        test_support::ProgramRun updater(VEXO_UPDATER, args, dir.path(), {});
        EXPECT_TRUE(updater.wait(30s).has_value());
        EXPECT_TRUE(
            test_support::waitUntil([&] { return fs::exists(install("player.args")); }, 30s))
            << "the player was not started";
        return recordedArguments();
    }
    Strings recordedArguments() const {
        const std::string record = readFile(install("player.args"));
        const std::size_t lineEnd = record.find('\n');
        Strings args;
        for (std::size_t at = lineEnd + 1; at < record.size();) {
            const std::size_t end = record.find('\0', at);
            args.push_back(record.substr(at, end - at));
            at = end + 1;
        }
        EXPECT_EQ(std::to_string(args.size()), record.substr(0, lineEnd));
        return args;
    }
    Strings entries() const {
        Strings names;
        for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
            names.push_back(entry.path().lexically_relative(dir.path()).string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test_support::TempDir dir;
};

TEST_F(UpdaterRunTest, APendingLauncherIsSwappedInBeforeThePlayerStartsWithTheSameArguments) {
    test_support::stagePendingLauncher(install("update"), "new launcher");
    const Strings args{"http://127.0.0.1:8080/vexo/client.swf", "-s", "-c"};
    EXPECT_EQ(runUpdater(args), args);
    EXPECT_EQ(readFile(install("launcher.seen")), "new launcher");
    EXPECT_EQ(fs::status(install("VexoClient.exe")).permissions(), fs::perms(0755));
    EXPECT_FALSE(fs::exists(install("update/VexoClient.exe")));
}

// A launcher left in update/ by a download that was never verified (a run stopped while it
// arrived, a file planted there) is removed, never run.
TEST_F(UpdaterRunTest, APendingLauncherTheReceiptDoesNotVouchForIsRemovedNotSwappedIn) {
    test_support::stagePendingLauncher(install("update"), "new launcher");
    writeFile(install("update/VexoClient.exe"), "an attacker's launcher");
    const Strings args{"http://h/client.swf", "-s"};
    EXPECT_EQ(runUpdater(args), args);
    EXPECT_EQ(readFile(install("launcher.seen")), "old launcher");
    EXPECT_FALSE(fs::exists(install("update/VexoClient.exe")));
}

TEST_F(UpdaterRunTest, WithoutAPendingLauncherThePlayerStartsAndTheLauncherStays) {
    const Strings args{"http://h/client.swf", "-s"};
    EXPECT_EQ(runUpdater(args), args);
    EXPECT_EQ(readFile(install("launcher.seen")), "old launcher");
}

TEST_F(UpdaterRunTest, WithoutArgumentsThePlayerGetsNone) { EXPECT_EQ(runUpdater({}), Strings{}); }

// A URL with a blank must not split into two arguments, which would end the player silently.
TEST_F(UpdaterRunTest, ArgumentsReachThePlayerExactlyWhateverTheyHold) {
    const Strings args{
        "http://h/a b/client.swf", "-s",         "-c",          "",    "tab\there", "say \"hi\"",
        R"(back\\"slash)",         "trailing\\", "line\nbreak", "ü 中"};
    EXPECT_EQ(runUpdater(args), args);
}

// A folder in the launcher's place stands for a launcher that stays locked, even for root.
TEST_F(UpdaterRunTest, ALauncherThatStaysLockedIsLeftAndThePlayerStartsAllTheSame) {
    fs::remove(install("VexoClient.exe"));
    fs::create_directories(install("VexoClient.exe/in use"));
    test_support::stagePendingLauncher(install("update"), "new launcher");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(runUpdater({"http://h/client.swf", "-s"}), (Strings{"http://h/client.swf", "-s"}));
    EXPECT_GE(std::chrono::steady_clock::now() - started, 1000ms) << "ten attempts, 100 ms apart";
    EXPECT_EQ(entries(),
              (Strings{"VexoClient.exe", "VexoClient.exe/in use", "VexoClientPlay.exe",
                       "player.args", "update", "update/.vexo-receipt", "update/VexoClient.exe"}));
    EXPECT_EQ(readFile(install("update/VexoClient.exe")), "new launcher");
}

TEST(PlayerParameters, EachArgumentIsFollowedByOneBlankAndQuotedOnlyWhenItMustBe) {
    EXPECT_EQ(playerParameters({"http://h/client.swf", "-s", "-c"}), "http://h/client.swf -s -c ");
    EXPECT_EQ(playerParameters({"a b", ""}), "\"a b\" \"\" ");
    EXPECT_EQ(playerParameters({}), "");
}

}  // namespace
