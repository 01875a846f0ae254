#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "tests/support/headless_fixture.h"
#include "tests/support/http_test_server.h"
#include "tests/support/program_run.h"
#include "tests/update/update_fixture.h"
#include "update/install/update_receipt.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::readFile;
using test_support::writeFile;

constexpr int kFiles = 150;
constexpr std::size_t kFileSize = 16 << 10;
constexpr int kKills = 100;

std::string nameOf(int index) {
    return "d" + std::to_string(index % 3) + "/f" + std::to_string(index) + ".bin";
}

std::string contentOf(int index, char release) {
    std::string content(kFileSize, release);
    content.replace(0, nameOf(index).size(), nameOf(index));
    return content;
}

std::string releaseBManifest() {
    std::string files;
    for (int i = 0; i < kFiles; ++i) {
        const std::string content = contentOf(i, 'B');
        files += "<file><position>b/</position><name>" + nameOf(i) + "</name><md5-code>" +
                 update_test::md5Of(content) + "</md5-code><length>" +
                 std::to_string(content.size()) + "</length></file>";
    }
    return "<root><latest-ver><update-no>2</update-no><no>1.0.2</no><files>" + files +
           "</files></latest-ver></root>";
}

class InstallKillTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < kFiles; ++i)
            server_.answer("/vexo/b/" + nameOf(i), 200, contentOf(i, 'B'));
        server_.answer("/vexo/version.xml", 200, releaseBManifest());
    }
    // Release A (update 1) installed, nothing in "update/".
    void installReleaseA() {
        fs::remove_all(dir_.file("install"));
        fs::create_directories(dir_.file("install"));
        for (int i = 0; i < kFiles; ++i) {
            fs::create_directories(fs::path(at(nameOf(i))).parent_path());
            writeFile(at(nameOf(i)), contentOf(i, 'A'));
        }
        writeFile(at("version.xml"), "<ver><no>1.0.1</no><update-no>1</update-no></ver>");
        writeFile(at("config.properties"),
                  "server.host=127.0.0.1\nserver.port=" + std::to_string(server_.port()) +
                      "\nserver.path=/vexo/\n");
    }
    std::string at(const std::string& name) const { return dir_.file("install/" + name); }
    // Release B downloaded and verified in "update/", as a run that was stopped before its
    // install leaves it.
    void stageReleaseB() {
        std::vector<update::StagedFile> files;
        for (int i = 0; i < kFiles; ++i) {
            fs::create_directories(fs::path(at("update/" + nameOf(i))).parent_path());
            writeFile(at("update/" + nameOf(i)), contentOf(i, 'B'));
            files.push_back({nameOf(i), static_cast<std::int64_t>(kFileSize),
                             update_test::md5Of(contentOf(i, 'B')), ""});
        }
        ASSERT_TRUE(update::startReceipt(2, files, at("update")));
    }
    std::chrono::microseconds timedRun() {
        const auto begun = std::chrono::steady_clock::now();
        EXPECT_EQ(start("run", std::nullopt), 0);
        return std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - begun);
    }

    // Runs the target; with a kill moment it is killed then, wherever it is.
    std::optional<int> start(const char* mode, std::optional<std::chrono::microseconds> killAt) {
        test_support::ProgramRun run(INSTALL_KILL_TARGET, {dir_.file("install"), mode},
                                     dir_.file("install"),
                                     {{"VEXO_REGISTRY", dir_.file("registry.reg")}});
        EXPECT_TRUE(run.started());
        if (killAt) {
            std::this_thread::sleep_for(*killAt);
            return std::nullopt;  // the destructor kills the program where it is
        }
        return run.wait(5min);
    }

    // The release every listed file has, the same for all, and the local manifest's number
    // with it; 0 when the installation mixes releases.
    char installedRelease() const {
        const char first = readFile(at(nameOf(0)))[kFileSize - 1];
        for (int i = 0; i < kFiles; ++i) {
            if (readFile(at(nameOf(i))) != contentOf(i, first)) return 0;
        }
        const bool advanced =
            readFile(at("version.xml")).find("<update-no>2<") != std::string::npos;
        return advanced == (first == 'B') ? first : 0;
    }

    test_support::TempDir dir_;
    test_support::HttpTestServer server_;
};

TEST_F(InstallKillTest, AfterAKillAtAnyMomentAndTheNextStartTheInstallationIsOneWholeRelease) {
    installReleaseA();
    const auto fresh = timedRun();
    ASSERT_EQ(installedRelease(), 'B');
    installReleaseA();
    stageReleaseB();
    const auto staged = timedRun();
    ASSERT_EQ(installedRelease(), 'B');

    // Every other kill comes at a moment of a run that starts with release B staged whole, so
    // that many land in the install itself; the others anywhere in a run from what the last
    // kill left, as a person's next start would go on.
    std::mt19937 random(20261209);
    installReleaseA();
    int midInstall = 0;
    int completed = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const bool installOnly = kill % 2 == 1;
        if (installOnly) stageReleaseB();
        const auto whole = installOnly ? staged : fresh;
        start("run", std::chrono::microseconds(
                         std::uniform_int_distribution<long>(0, whole.count())(random)));
        midInstall += fs::exists(at("update/.vexo-journal"));
        ASSERT_EQ(start("recover", std::nullopt), 0);
        const char release = installedRelease();
        ASSERT_NE(release, 0) << "listed files of two releases after kill " << kill;
        ASSERT_FALSE(fs::exists(at("update/.vexo-journal")));
        if (release == 'B') {
            ++completed;
            installReleaseA();
        }
    }
    std::printf("kills during the install: %d, installs completed: %d, of %d kills\n", midInstall,
                completed, kKills);
}

}  // namespace
