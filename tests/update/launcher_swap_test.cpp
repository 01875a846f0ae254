#include "update/install/launcher_swap.h"

#include <unistd.h>

#include <filesystem>

#include "tests/support/file_text.h"
#include "tests/support/logged_test.h"
#include "tests/support/pending_launcher.h"
#include "tests/support/temp_dir.h"
#include "tests/support/virtual_clock.h"

namespace {

namespace fs = std::filesystem;
using test_support::readFile;
using test_support::stagePendingLauncher;
using test_support::writeFile;

class LauncherSwapTest : public test_support::LoggedTest {
  protected:
    void SetUp() override {
        LoggedTest::SetUp();
        fs::create_directories(dir.file("update"));
    }
    // A swap in the test's directory that counts its waits instead of sleeping.
    LauncherSwap swap() {
        LauncherSwap result{.pending = dir.file("update/VexoClient.exe"),
                            .installed = dir.file("VexoClient.exe")};
        result.wait = [this](int attempt) { waits.push_back(attempt); };
        return result;
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
            names.push_back(entry.path().lexically_relative(dir.path()).string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test_support::TempDir dir;
    std::vector<int> waits;
};

TEST_F(LauncherSwapTest, ThePendingLauncherReplacesTheOldOneKeepingItsModeAndLeavesNothingBehind) {
    writeFile(dir.file("VexoClient.exe"), "old launcher, longer than the new one");
    fs::permissions(dir.file("VexoClient.exe"), fs::perms(0755));
    stagePendingLauncher(dir.file("update"), "new launcher");
    fs::permissions(dir.file("update/VexoClient.exe"), fs::perms(0600));
    EXPECT_TRUE(swapPendingLauncher(swap()));
    EXPECT_EQ(readFile(dir.file("VexoClient.exe")), "new launcher");
    EXPECT_EQ(fs::status(dir.file("VexoClient.exe")).permissions(), fs::perms(0755))
        << "a launcher that can no longer be started would end the client";
    EXPECT_EQ(entries(),
              (std::vector<std::string>{"VexoClient.exe", "update", "update/.vexo-receipt"}));
    EXPECT_EQ(waits, std::vector<int>{1});
    EXPECT_TRUE(logged().empty());
}

TEST_F(LauncherSwapTest, WithoutAPendingLauncherNothingWaitsAndNothingChanges) {
    writeFile(dir.file("VexoClient.exe"), "old launcher");
    fs::create_directories(dir.file("update/VexoClient.exe"));
    auto player = swap();
    player.logFound = true;
    EXPECT_FALSE(swapPendingLauncher(player));
    EXPECT_TRUE(waits.empty());
    EXPECT_EQ(readFile(dir.file("VexoClient.exe")), "old launcher");
    EXPECT_TRUE(logged().empty());
}

// Links planted under the temporary names a swap could use lead to another file; the swap
// writes only the launcher.
TEST_F(LauncherSwapTest, ASwapNeverWritesThroughALink) {
    writeFile(dir.file("VexoClient.exe"), "old launcher");
    stagePendingLauncher(dir.file("update"), "new launcher");
    writeFile(dir.file("other.txt"), "other");
    for (const std::string& name :
         {"VexoClient.exe.swap-" + std::to_string(getpid()), std::string("VexoClient.exe.tmp")}) {
        fs::create_symlink(dir.file("other.txt"), dir.file(name));
    }
    EXPECT_TRUE(swapPendingLauncher(swap()));
    EXPECT_EQ(readFile(dir.file("VexoClient.exe")), "new launcher");
    EXPECT_EQ(readFile(dir.file("other.txt")), "other");
    EXPECT_EQ(entries().size(), 6u) << "the launcher, the links, other.txt, update/, the receipt";
}

// A folder in the launcher's place makes every rename fail, even for root.
TEST_F(LauncherSwapTest, ALauncherThatStaysInTheWayIsTriedTenTimesAndThePendingFileKept) {
    fs::create_directories(dir.file("VexoClient.exe/in use"));
    stagePendingLauncher(dir.file("update"), "new launcher");
    auto player = swap();
    player.logFound = true;
    EXPECT_FALSE(swapPendingLauncher(player));
    EXPECT_EQ(waits, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(entries(),
              (std::vector<std::string>{"VexoClient.exe", "VexoClient.exe/in use", "update",
                                        "update/.vexo-receipt", "update/VexoClient.exe"}));
    EXPECT_EQ(logged(), std::vector<std::string>{"finder.FindFile is true"});
}

TEST_F(LauncherSwapTest, ALauncherReleasedAfterTwoFailedAttemptsIsReplacedOnTheThird) {
    fs::create_directories(dir.file("VexoClient.exe/in use"));
    stagePendingLauncher(dir.file("update"), "new launcher");
    auto player = swap();
    player.logFound = true;
    player.wait = [this](int attempt) {
        waits.push_back(attempt);
        if (attempt == 3) fs::remove_all(dir.file("VexoClient.exe"));
    };
    EXPECT_TRUE(swapPendingLauncher(player));
    EXPECT_EQ(waits, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(readFile(dir.file("VexoClient.exe")), "new launcher");
    EXPECT_FALSE(fs::exists(dir.file("update/VexoClient.exe")));
    EXPECT_EQ(logged(),
              (std::vector<std::string>{"finder.FindFile is true", "finder.FindFile is true"}));
}

// The swap as the player and the updater make it, with its own waits, on virtual time.
TEST_F(LauncherSwapTest, TheStandardSwapWaits100MsBeforeEachOfItsTenAttempts) {
    test_support::VirtualClock clock;
    const LauncherSwap standard{.pending = dir.file("update/VexoClient.exe"),
                                .installed = dir.file("VexoClient.exe")};
    stagePendingLauncher(dir.file("update"), "new launcher");
    auto start = clock.now();
    EXPECT_TRUE(swapPendingLauncher(standard));
    EXPECT_EQ(clock.now() - start, std::chrono::milliseconds(100)) << "one wait, then done";

    fs::create_directories(dir.file("update"));
    stagePendingLauncher(dir.file("update"), "newer launcher");
    fs::remove(dir.file("VexoClient.exe"));
    fs::create_directories(dir.file("VexoClient.exe/in use"));
    start = clock.now();
    EXPECT_FALSE(swapPendingLauncher(standard));
    EXPECT_EQ(clock.now() - start, std::chrono::milliseconds(1000));
}

}  // namespace

namespace {

// Only the launcher the receipt vouches for, of a release whose install completed, is run.
TEST_F(LauncherSwapTest, OnlyALauncherTheReceiptVouchesForIsSwappedIn) {
    writeFile(dir.file("VexoClient.exe"), "old launcher");
    const auto refused = [this](const std::string& why) {
        SCOPED_TRACE(why);
        EXPECT_FALSE(swapPendingLauncher(swap()));
        EXPECT_EQ(readFile(dir.file("VexoClient.exe")), "old launcher");
        EXPECT_FALSE(fs::exists(fs::symlink_status(dir.file("update/VexoClient.exe"))));
        EXPECT_EQ(logged().back(), "LauncherSwap:" + dir.file("update/VexoClient.exe") +
                                       " does not match the update receipt, removed");
    };
    writeFile(dir.file("update/VexoClient.exe"), "unverified launcher");
    refused("no receipt");
    stagePendingLauncher(dir.file("update"), "new launcher");
    writeFile(dir.file("update/VexoClient.exe"), "new launcher, cut");
    refused("another length");
    stagePendingLauncher(dir.file("update"), "new launcher");
    writeFile(dir.file("update/VexoClient.exe"), "NEW launcher");
    refused("another digest");
    fs::remove(dir.file("update/VexoClient.exe"));
    fs::create_symlink(dir.file("VexoClient.exe"), dir.file("update/VexoClient.exe"));
    refused("a link");
    EXPECT_TRUE(waits.empty());

    stagePendingLauncher(dir.file("update"), "new launcher", false);
    EXPECT_FALSE(swapPendingLauncher(swap())) << "its release is not installed yet";
    EXPECT_EQ(readFile(dir.file("update/VexoClient.exe")), "new launcher") << "it waits";
    update::markReceiptInstalled(dir.file("update"));
    EXPECT_TRUE(swapPendingLauncher(swap()));
    EXPECT_EQ(readFile(dir.file("VexoClient.exe")), "new launcher");
}

}  // namespace
