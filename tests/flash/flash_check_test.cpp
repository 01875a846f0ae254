#include "flash/flash_check.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/os/registry.h"
#include "tests/support/file_text.h"
#include "tests/support/logged_test.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "tests/support/version_block.h"

namespace {

using Lines = std::vector<std::string>;
using test_support::versionBlock;
using test_support::writeFile;

const std::string kServerKey =
    R"(HKEY_CLASSES_ROOT\CLSID\{D27CDB6E-AE6D-11cf-96B8-444553540000}\InprocServer32)";

// Every case has a registry file of its own in a fresh directory.
class FlashCheckTest : public test_support::LoggedTest {
  protected:
    void registerServer(const platform::RegistryValue& value, const std::string& key = kServerKey) {
        platform::Registry registry;
        registry.setValue(key, "", value);
        ASSERT_TRUE(registry.save(dir_.file("registry.reg")));
    }
    // A control file with `block` after some code-like bytes, registered as the control.
    std::string registerControl(const std::string& block, const std::string& name = "ctl.so") {
        const std::string path = dir_.file(name);
        writeFile(path, std::string("\x7F"
                                    "ELF",
                                    4) +
                            std::string(60, '\x01') + block + "tail");
        registerServer(path);
        return path;
    }

    test_support::TempDir dir_;
    test_support::ScopedEnv registry_{"VEXO_REGISTRY", dir_.file("registry.reg")};
};

TEST_F(FlashCheckTest, NoRegisteredPathLogsAnEmptyNameAndNeedsInstalling) {
    EXPECT_TRUE(needFlashInstall({0, 0}));  // no registry file at all
    registerServer("");
    EXPECT_TRUE(needFlashInstall({0, 0}));
    registerServer(42u);  // a number is no path
    EXPECT_TRUE(needFlashInstall({0, 0}));
    platform::Registry otherValueOnly;
    otherValueOnly.setValue(kServerKey, "ThreadingModel", "Apartment");
    ASSERT_TRUE(otherValueOnly.save(dir_.file("registry.reg")));
    EXPECT_TRUE(needFlashInstall({0, 0}));
    EXPECT_EQ(logged(), Lines(4, "ocxFileName:"));
}

TEST_F(FlashCheckTest, ARegisteredFileThatIsGoneOrAFolderNeedsInstallingWithoutVersionLines) {
    registerServer(dir_.file("deleted.so"));
    EXPECT_TRUE(needFlashInstall({0, 0}));
    std::filesystem::create_directory(dir_.file("folder.so"));
    registerServer(dir_.file("folder.so"));
    EXPECT_TRUE(needFlashInstall({0, 0}));
    EXPECT_EQ(logged(), (Lines{"ocxFileName:" + dir_.file("deleted.so"),
                               "ocxFileName:" + dir_.file("folder.so")}));
}

TEST_F(FlashCheckTest, AVersionedControlLogsItsPathBothVersionsInOrder) {
    const std::string path = registerControl(versionBlock(11, 1, 102, 55));
    EXPECT_FALSE(needFlashInstall({11, 0}));
    EXPECT_EQ(logged(), (Lines{"ocxFileName:" + path, "FlashVer.major:11", "FlashVer.minor:1",
                               "requireVer.major:11", "requireVer.minor:0"}));
}

TEST_F(FlashCheckTest, AControlWithoutVersionCountsAs0_0AndLogsNoFlashVer) {
    const std::string path = registerControl("");
    EXPECT_FALSE(needFlashInstall({0, 0}));
    EXPECT_EQ(logged(), (Lines{"ocxFileName:" + path, "requireVer.major:0", "requireVer.minor:0"}));
    EXPECT_TRUE(needFlashInstall({0, 1}));
    EXPECT_TRUE(needFlashInstall({11, 0}));
    EXPECT_FALSE(needFlashInstall({-1, 99}));
    EXPECT_FALSE(needFlashInstall({0, -1}));
}

TEST_F(FlashCheckTest, VersionsCompareMajorFirstThenMinorAsSignedNumbers) {
    struct Case {
        std::uint16_t major, minor;
        FlashVersion required;
        bool expected;
    };
    const Case cases[] = {
        {11, 0, {11, 0}, false},       {10, 3, {11, 0}, true},
        {11, 1, {11, 0}, false},       {12, 0, {11, 0}, false},
        {11, 1, {11, 2}, true},        {11, 2, {11, 2}, false},
        {10, 9, {11, 0}, true},        {12, 0, {11, 5}, false},
        {11, 0, {-1, 5}, false},       {11, 0, {11, -1}, false},
        {0, 0, {0, -1}, false},        {0, 0, {-1, 0}, false},
        {32768, 0, {32767, 0}, false}, {65535, 65535, {65535, 65535}, false},
        {11, 65535, {12, -5}, true},   {65535, 0, {70000, 0}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.major) + "." + std::to_string(c.minor) + " against " +
                     std::to_string(c.required.major) + "." + std::to_string(c.required.minor));
        registerControl(versionBlock(c.major, c.minor, 7, 7));
        EXPECT_EQ(needFlashInstall(c.required), c.expected);
    }
}

TEST_F(FlashCheckTest, TheRegisteredPathMustFitThe260ByteBufferWithItsZero) {
    const std::string fits = "/" + std::string(258, 'p');
    registerServer(fits);
    EXPECT_EQ(readFlashOcxPath(), fits);
    registerServer(fits + "q");
    EXPECT_EQ(readFlashOcxPath(), "");
    // The key is found however its letters are cased (vexo-register-control writes "11CF").
    registerServer(
        "/opt/c.so",
        R"(hkey_classes_root\clsid\{D27CDB6E-AE6D-11CF-96B8-444553540000}\inprocserver32)");
    EXPECT_EQ(readFlashOcxPath(), "/opt/c.so");
}

TEST_F(FlashCheckTest, ReadFileVersionTakesTheMostSignificantWordOrLeavesTheVersionAlone) {
    writeFile(dir_.file("plain"), "no block here");
    FlashVersion version{5, 6};
    readFileVersion(dir_.file("plain"), version);
    readFileVersion(dir_.file("missing"), version);
    EXPECT_EQ(version.major, 5);
    EXPECT_EQ(version.minor, 6);
    EXPECT_TRUE(logged().empty());

    writeFile(dir_.file("versioned"), versionBlock(10, 3, 183, 90));
    readFileVersion(dir_.file("versioned"), version);
    EXPECT_EQ(version.major, 10);
    EXPECT_EQ(version.minor, 3);
    EXPECT_EQ(logged(), (Lines{"FlashVer.major:10", "FlashVer.minor:3"}));
}

TEST_F(FlashCheckTest, FileExistsForFilesEvenUnreadableButNotForFoldersOrNothing) {
    writeFile(dir_.file("locked.so"), "x");
    std::filesystem::permissions(dir_.file("locked.so"), std::filesystem::perms::none);
    EXPECT_TRUE(fileExists(dir_.file("locked.so")));
    EXPECT_FALSE(fileExists(dir_.file("missing.so")));
    EXPECT_FALSE(fileExists(dir_.path()));
    EXPECT_FALSE(fileExists(""));
}

}  // namespace
