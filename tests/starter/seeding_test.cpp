// Seeding a user's installation from the package's copy: first start, later starts, newer
// packages, installations that updated themselves, and what must never be touched.
#include "starter/seeding.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "starter/installation_version.h"
#include "tests/starter/seed_tree.h"
#include "tests/support/headless_fixture.h"

namespace {
namespace fs = std::filesystem;
using starter::SeedOutcome;
using starter_test::sameTree;
using starter_test::versionXml;
using starter_test::writeSeed;
using test_support::readFile;
using test_support::writeFile;

class SeedingTest : public ::testing::Test {
  protected:
    fs::path seed() const { return fs::path(dir_.path()) / "usr-lib"; }
    fs::path installation() const { return fs::path(dir_.path()) / "home" / "vexo" / "client"; }
    starter::SeedResult seedNow() { return starter::seedInstallation({seed(), installation()}); }
    std::vector<std::string> besideInstallation() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(installation().parent_path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test_support::TempDir dir_;
};

TEST_F(SeedingTest, FirstStartCopiesEverythingWritableByTheUserAndLaterStartsKeepIt) {
    writeSeed(seed(), 4);
    fs::permissions(seed() / "data" / "part0", fs::perms(0444));
    const auto first = seedNow();
    ASSERT_EQ(first.error, "");
    EXPECT_EQ(first.outcome, SeedOutcome::Seeded);
    EXPECT_TRUE(sameTree(seed(), installation()));
    EXPECT_EQ(fs::status(installation() / "VexoClient.exe").permissions(), fs::perms(0755));
    EXPECT_EQ(fs::status(installation() / "data" / "part0").permissions(), fs::perms(0644));
    EXPECT_EQ(besideInstallation(), (std::vector<std::string>{".client.lock", "client"}));

    writeFile(installation() / "data" / "written-by-the-client", "kept");
    const auto second = seedNow();
    EXPECT_EQ(second.error, "");
    EXPECT_EQ(second.outcome, SeedOutcome::Current);
    EXPECT_EQ(readFile(installation() / "data" / "written-by-the-client"), "kept");
}

TEST_F(SeedingTest, ANewerPackageReplacesTheInstallationAndAnInstallationThatUpdatedItselfStays) {
    writeSeed(seed(), 4);
    ASSERT_EQ(seedNow().outcome, SeedOutcome::Seeded);
    writeFile(installation() / "stale", "from the older release");

    fs::remove_all(seed());
    writeSeed(seed(), 5, "#!/bin/sh\n", 3);
    const auto renewed = seedNow();
    ASSERT_EQ(renewed.error, "");
    EXPECT_EQ(renewed.outcome, SeedOutcome::Reseeded);
    EXPECT_TRUE(sameTree(seed(), installation()));
    EXPECT_EQ(besideInstallation(), (std::vector<std::string>{".client.lock", "client"}));

    // The launcher updated the installation past the package (it rewrote version.xml).
    writeFile(installation() / "version.xml", versionXml(9));
    writeFile(installation() / "VexoClient.exe", "the launcher of update 9");
    EXPECT_EQ(seedNow().outcome, SeedOutcome::Current);
    EXPECT_EQ(readFile(installation() / "VexoClient.exe"), "the launcher of update 9");
    writeFile(installation() / "version.xml", versionXml(5));  // the same release
    EXPECT_EQ(seedNow().outcome, SeedOutcome::Current);
}

TEST_F(SeedingTest, AnInstallationWithoutLauncherOrReadableVersionIsSeededAgain) {
    writeSeed(seed(), 4);
    for (const std::string& broken :
         {std::string("<ver><update-no>"), std::string(), std::string(5 << 20, ' ')}) {
        ASSERT_EQ(seedNow().error, "");
        writeFile(installation() / "version.xml", broken);
        EXPECT_EQ(seedNow().outcome, SeedOutcome::Reseeded) << broken.substr(0, 20);
        EXPECT_TRUE(sameTree(seed(), installation()));
    }
    fs::remove(installation() / "VexoClient.exe");
    EXPECT_EQ(seedNow().outcome, SeedOutcome::Reseeded);
    EXPECT_TRUE(sameTree(seed(), installation()));
}

TEST_F(SeedingTest, AFileOrLinkWhereTheInstallationBelongsIsLeftAlone) {
    writeSeed(seed(), 4);
    fs::create_directories(installation().parent_path());
    writeFile(installation(), "a file of the user's");
    auto result = seedNow();
    EXPECT_NE(result.error.find("is not a folder"), std::string::npos) << result.error;
    EXPECT_EQ(readFile(installation()), "a file of the user's");

    fs::remove(installation());
    const fs::path elsewhere = fs::path(dir_.path()) / "elsewhere";
    fs::create_directory(elsewhere);
    fs::create_directory_symlink(elsewhere, installation());
    result = seedNow();
    EXPECT_NE(result.error.find("is not a folder"), std::string::npos) << result.error;
    EXPECT_TRUE(fs::is_empty(elsewhere));
}

TEST_F(SeedingTest, AnIncompletePackageCopyChangesNothing) {
    writeSeed(seed(), 4);
    fs::remove(seed() / "version.xml");
    EXPECT_NE(seedNow().error.find("incomplete"), std::string::npos);
    EXPECT_FALSE(fs::exists(installation()));
}

TEST_F(SeedingTest, CopiesLeftByAKilledStartAreRemovedByTheNextSeeding) {
    writeSeed(seed(), 4);
    fs::create_directories(installation().parent_path() / ".client.seed-abc123" / "data");
    fs::create_directories(installation().parent_path() / ".client.old-xyz789");
    fs::create_directories(installation().parent_path() / ".other");
    ASSERT_EQ(seedNow().outcome, SeedOutcome::Seeded);
    EXPECT_EQ(besideInstallation(), (std::vector<std::string>{".client.lock", ".other", "client"}));
}

// A child process runs the seeding with a file size limit, as a full disk would stop it:
// writes fail with EFBIG once a file would grow past it.
int seedWithFileSizeLimit(const starter::SeedParams& params, rlim_t limit) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit bound{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &bound);
        const auto result = starter::seedInstallation(params);
        ::_exit(result.error.empty() ? 0 : 3);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(SeedingTest, AFullDiskLeavesNoInstallationOrTheOldOneWhole) {
    writeSeed(seed(), 4, "", 2, 64 * 1024);
    EXPECT_EQ(seedWithFileSizeLimit({seed(), installation()}, 16 * 1024), 3);
    EXPECT_FALSE(fs::exists(installation()));
    EXPECT_EQ(besideInstallation(), (std::vector<std::string>{".client.lock"}));

    ASSERT_EQ(seedNow().outcome, SeedOutcome::Seeded);
    fs::remove_all(seed());
    writeSeed(seed(), 5, "", 2, 64 * 1024);
    fs::path older = fs::path(dir_.path()) / "older";
    writeSeed(older, 4, "", 2, 64 * 1024);
    EXPECT_EQ(seedWithFileSizeLimit({seed(), installation()}, 16 * 1024), 3);
    EXPECT_TRUE(sameTree(older, installation()));
    EXPECT_EQ(besideInstallation(), (std::vector<std::string>{".client.lock", "client"}));
}

TEST(InstalledUpdateNo, ReadsTheRootsNumberAndRefusesWhatIsNoManifest) {
    test_support::TempDir dir;
    const fs::path path = fs::path(dir.path()) / "version.xml";
    const auto numberOf = [&](const std::string& text) {
        writeFile(path, text);
        return starter::installedUpdateNo(dir.path());
    };
    EXPECT_EQ(numberOf(versionXml(12)), 12);
    EXPECT_EQ(numberOf("<x><no>1.0.0</no><update-no> 7abc</update-no></x>"), 7);
    EXPECT_EQ(numberOf("<x><update-no/></x>"), 0);
    EXPECT_EQ(numberOf("<x><files><update-no>3</update-no></files></x>"), std::nullopt);
    EXPECT_EQ(numberOf(std::string(100000, '<') + "x>"), std::nullopt);
    EXPECT_EQ(numberOf("not xml"), std::nullopt);
    fs::remove(path);
    fs::create_symlink(fs::path(dir.path()) / "elsewhere.xml", path);
    writeFile(fs::path(dir.path()) / "elsewhere.xml", versionXml(3));
    EXPECT_EQ(starter::installedUpdateNo(dir.path()), std::nullopt);
}

}  // namespace
