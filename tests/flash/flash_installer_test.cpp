// The installation's movie control installer and vexo-register-control, which share their
// registration.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/os/registry.h"
#include "tests/flash/installation.h"

namespace {

using flash_test::Installation;
namespace fs = std::filesystem;

const std::string kFlashServer =
    R"(HKEY_CLASSES_ROOT\CLSID\{D27CDB6E-AE6D-11cf-96B8-444553540000}\InprocServer32)";
const std::string kClientKey = R"(HKEY_CURRENT_USER\Software\Vexo)";

std::optional<std::string> registered(const Installation& installation, const std::string& key) {
    return platform::Registry::load(installation.registryFile()).readString(key, "");
}

TEST(FlashInstaller, RegistersTheLibraryOfItsDirectoryOverAnOlderOneKeepingTheRest) {
    Installation installation;
    test_support::writeFile(installation.file("libwebmovie.so"), "control");
    platform::Registry before;
    before.setValue(kFlashServer, "", "/old/flash.so");
    before.setValue(kClientKey, "GUID", "kept");
    ASSERT_TRUE(before.save(installation.registryFile()));

    EXPECT_EQ(installation.run(INSTALLER_PROGRAM), 0) << installation.errors();
    const auto control = registered(installation, kFlashServer);
    ASSERT_TRUE(control);
    EXPECT_TRUE(fs::path(*control).is_absolute());
    EXPECT_TRUE(fs::equivalent(*control, installation.file("libwebmovie.so")));
    EXPECT_EQ(platform::Registry::load(installation.registryFile()).readString(kClientKey, "GUID"),
              "kept");
}

TEST(FlashInstaller, AMissingLibraryFailsClearlyAndLeavesTheRegistryAlone) {
    Installation installation;
    const std::string expected =
        "no such library: " + fs::canonical(installation.path()).string() + "/libwebmovie.so\n";
    EXPECT_EQ(installation.run(INSTALLER_PROGRAM), 1);
    EXPECT_TRUE(installation.errors().ends_with(expected)) << installation.errors();
    fs::create_directory(installation.file("libwebmovie.so"));  // a folder is no library
    EXPECT_EQ(installation.run(INSTALLER_PROGRAM), 1);
    EXPECT_TRUE(installation.errors().ends_with(expected)) << installation.errors();
    EXPECT_FALSE(fs::exists(installation.registryFile()));
}

// A registry file below a plain file cannot be written, whoever runs the test.
TEST(FlashInstaller, ARegistryThatCannotBeWrittenFails) {
    Installation installation;
    test_support::writeFile(installation.file("libwebmovie.so"), "control");
    test_support::writeFile(installation.file("blocker"), "");
    EXPECT_EQ(installation.run(INSTALLER_PROGRAM, {}, installation.file("blocker/registry.reg")),
              1);
    EXPECT_NE(installation.errors().find("cannot write the registry file " +
                                         installation.file("blocker/registry.reg")),
              std::string::npos)
        << installation.errors();
}

TEST(RegisterControl, RegistersTheGivenLibraryUnderTheFlashClassOrTheOneGiven) {
    Installation installation;
    fs::create_directories(installation.file("lib"));
    test_support::writeFile(installation.file("lib/control.so"), "control");
    EXPECT_EQ(installation.run(REGISTER_PROGRAM, {"lib/control.so"}), 0);
    EXPECT_TRUE(fs::equivalent(registered(installation, kFlashServer).value_or("/missing"),
                               installation.file("lib/control.so")));

    const std::string other = R"(HKEY_CLASSES_ROOT\CLSID\{00000000-1111-2222-3333-444444444444})";
    EXPECT_EQ(installation.run(REGISTER_PROGRAM,
                               {"lib/control.so", "{00000000-1111-2222-3333-444444444444}"}),
              0);
    EXPECT_TRUE(registered(installation, other + R"(\InprocServer32)"));

    EXPECT_EQ(installation.run(REGISTER_PROGRAM, {"lib/missing.so"}), 1);
    EXPECT_EQ(installation.run(REGISTER_PROGRAM), 2);
}

}  // namespace
