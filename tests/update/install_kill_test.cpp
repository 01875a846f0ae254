#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "tests/support/headless_fixture.h"
#include "tests/support/program_run.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::readFile;
using test_support::writeFile;

constexpr int kFiles = 400;
constexpr std::size_t kFileSize = 16 << 10;

std::string nameOf(int index) { return "f" + std::to_string(index) + ".bin"; }

std::string contentOf(int index, char version) {
    std::string content(kFileSize, version);
    content.replace(0, nameOf(index).size(), nameOf(index));
    return content;
}

class InstallKillTest : public ::testing::Test {
  protected:
    // Old files installed, new ones waiting in "update/".
    void prepare() {
        fs::create_directories(dir_.file("update/Plus"));
        for (int i = 0; i < kFiles; ++i) {
            writeFile(dir_.file(nameOf(i)), contentOf(i, 'o'));
            writeFile(dir_.file("update/" + nameOf(i)), contentOf(i, 'n'));
        }
    }
    std::optional<int> install(std::chrono::microseconds killAfter) {
        test_support::ProgramRun run(INSTALL_KILL_TARGET, {dir_.path()}, dir_.path(),
                                     {{"VEXO_REGISTRY", dir_.file("registry.reg")}});
        EXPECT_TRUE(run.started());
        if (killAfter.count() >= 0) {
            std::this_thread::sleep_for(killAfter);
            return std::nullopt;  // the destructor kills the program where it is
        }
        return run.wait(5min);
    }
    test_support::TempDir dir_;
};

TEST_F(InstallKillTest, AKillAtAnyMomentLeavesEveryInstalledFileOldOrNew) {
    prepare();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(install(-1us), 0);
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    for (int i = 0; i < kFiles; ++i) ASSERT_EQ(readFile(dir_.file(nameOf(i))), contentOf(i, 'n'));

    // Kill moments spread over an unkilled run's length, start-up included.
    std::mt19937 random(12345);
    std::uniform_int_distribution<long> moment(0, whole.count());
    int mixed = 0;
    for (int kill = 0; kill < 60; ++kill) {
        prepare();
        install(std::chrono::microseconds(moment(random)));
        int fresh = 0;
        for (int i = 0; i < kFiles; ++i) {
            const std::string content = readFile(dir_.file(nameOf(i)));
            ASSERT_TRUE(content == contentOf(i, 'o') || content == contentOf(i, 'n'))
                << nameOf(i) << " is cut after kill " << kill << " (" << content.size()
                << " bytes)";
            fresh += content == contentOf(i, 'n');
        }
        mixed += fresh > 0 && fresh < kFiles;
    }
    std::printf("kills that stopped the install half-way: %d of 60\n", mixed);
}

}  // namespace
