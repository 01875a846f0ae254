// The launcher of an installation that trusts a release key: a signed release goes through as
// any other, a manifest without its publisher's signature is a failed version check.
#include <filesystem>

#include "tests/launcher/launcher_fixture.h"
#include "update/manifest/release_signature.h"

namespace launcher_test {
namespace {

using test_support::readFile;
using test_support::writeFile;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

class LauncherSignature : public LauncherTest {
  protected:
    void SetUp() override {
        LauncherTest::SetUp();
        listSha256 = true;
        writeFile(install("config.properties"),
                  readFile(install("config.properties")) +
                      "update.publicKey = " + update::encodePublicKey(keys.publicKey) + "\n");
    }
    void serveSignature(const std::string& manifest, const update::SecretKey& key) {
        updateServer.answer(serverPath + "version.xml.sig", 200,
                            update::encodeSignature(update::signMessage(manifest, key)));
    }

    update::KeyPair keys = update::makeKeyPair();
};

TEST_F(LauncherSignature, ASignedReleaseIsInstalledAndHandedToTheUpdater) {
    serveSignature(publish(6, {{"welcome.swf", "# the splash of release 6\n"}}), keys.secretKey);
    auto launcher = start();
    ASSERT_TRUE(waitForStart("VexoClientUpdater.exe"));
    EXPECT_EQ(exitOf(*launcher), 0);
    EXPECT_EQ(readFile(install("welcome.swf")), "# the splash of release 6\n");
    EXPECT_EQ(updateServer.targets(),
              (Strings{"/vexo/version.xml", "/vexo/version.xml.sig", "/vexo/welcome.swf"}));
}

TEST_F(LauncherSignature, AnotherKeysSignatureShowsNotice1AndStartsNothing) {
    const std::string evil = "#!/bin/sh\necho not from the publisher\n";
    serveSignature(publish(6, {{"VexoClientPlay.exe", evil}}), update::makeKeyPair().secretKey);
    welcome("on failMess fscommand close\n");
    auto launcher = start({"-c"});
    EXPECT_EQ(exitOf(*launcher), 0);

    EXPECT_EQ(occurrences(movieTrace(), std::string("CallFunction ") + kFailMess1), 1u);
    EXPECT_NE(uiTrace().find("\"version.xml签名无效!\""), std::string::npos);
    EXPECT_TRUE(startedNothing());
    EXPECT_NE(readFile(install("VexoClientPlay.exe")), evil);
    EXPECT_EQ(updateServer.targets(), (Strings{"/vexo/version.xml", "/vexo/version.xml.sig"}));
    EXPECT_TRUE(logServer.targets().empty());
}

// An attacker on the network path passes the genuine signed manifest but trickles its own
// launcher; the launcher is stopped while it arrives (Esc, a log-out). No later start, nor the
// updater or the player that swap launchers in, may run those bytes.
TEST_F(LauncherSignature, ALauncherStoppedWhileItsDownloadTricklesIsNeverRun) {
    copyIn(VEXO_LAUNCHER, "VexoClient.exe");
    copyIn(VEXO_UPDATER, "VexoClientUpdater.exe");
    const std::string installedLauncher = readFile(install("VexoClient.exe"));
    const std::string genuine = "#!/bin/sh\necho release 6\n" + std::string(40000, '#');
    serveSignature(publish(6, {{"VexoClient.exe", genuine}}), keys.secretKey);
    std::string evil = "#!/bin/sh\necho an attacker's launcher\n";
    evil += std::string(genuine.size() - evil.size(), '#');
    updateServer.answer(serverPath + "VexoClient.exe", {{200, evil, true}});
    {
        auto launcher = start({}, "ui1.trace", install("VexoClient.exe"));
        ASSERT_TRUE(test_support::waitUntil(
            [&] {
                std::error_code error;
                const auto size =
                    fs::file_size(install("update/VexoClient.exe.vexo-partial"), error);
                return !error && size >= 8192;
            },
            60s));
        EXPECT_FALSE(fs::exists(install("update/VexoClient.exe")));
    }  // killed here
    ASSERT_TRUE(descendants.waitForAll(30s));

    // The next start finds an older release, genuinely signed: nothing is due.
    serveSignature(publish(4, {}), keys.secretKey);
    auto next = start({}, "ui2.trace", install("VexoClient.exe"));
    ASSERT_TRUE(waitForStart("VexoClientPlay.exe"));
    EXPECT_EQ(exitOf(*next), 0);
    auto updater = start({url(), "-s"}, "ui3.trace", install("VexoClientUpdater.exe"));
    EXPECT_EQ(exitOf(*updater), 0);
    EXPECT_EQ(readFile(install("VexoClient.exe")), installedLauncher);
    for (const auto& entry : fs::recursive_directory_iterator(install("update"))) {
        EXPECT_TRUE(entry.is_directory()) << entry.path() << " stays after a void receipt";
    }
}

// A file an interrupted run (or anyone) left in update/ that no receipt vouches for is never
// installed: here a configuration without the key line, which would turn signing off.
TEST_F(LauncherSignature, AnUnlistedLeftoverInTheUpdateFolderIsNeverInstalled) {
    const std::string config = readFile(install("config.properties"));
    fs::create_directories(install("update"));
    writeFile(install("update/config.properties"), "server.host=127.0.0.1\n");
    serveSignature(publish(6, {{"welcome.swf", "# the splash of release 6\n"}}), keys.secretKey);
    auto launcher = start();
    ASSERT_TRUE(waitForStart("VexoClientUpdater.exe"));
    EXPECT_EQ(exitOf(*launcher), 0);
    EXPECT_EQ(readFile(install("welcome.swf")), "# the splash of release 6\n");
    EXPECT_EQ(readFile(install("config.properties")), config);
    EXPECT_FALSE(fs::exists(install("update/config.properties")));
}

// One due file that does not arrive installs nothing: the installation stays one release, so a
// later, older but genuine release cannot mix with it either.
TEST_F(LauncherSignature, AFailedDownloadInstallsNothingAndTheNextReleaseInstallsWhole) {
    const auto release = [](int number) {
        Files files;
        for (int i = 0; i < 8; ++i) {
            files.emplace_back(
                "data/f" + std::to_string(i) + ".txt",
                "file " + std::to_string(i) + " of release " + std::to_string(number));
        }
        return files;
    };
    const auto installedRelease = [&](int number) {
        for (const auto& [name, content] : release(number)) {
            if (!fs::exists(install(name)) || readFile(install(name)) != content) return false;
        }
        return readFile(install("version.xml"))
                   .find("<update-no>" + std::to_string(number) + "</update-no>") !=
               std::string::npos;
    };
    fs::create_directories(install("data"));
    for (const auto& [name, content] : release(5)) writeFile(install(name), content);
    serveSignature(publish(7, release(7), {}, {"data/f5.txt"}), keys.secretKey);
    auto first = start({"-c"}, "ui1.trace");
    ASSERT_TRUE(waitForStart("VexoClientUpdater.exe"));
    EXPECT_EQ(exitOf(*first), 0);
    EXPECT_TRUE(installedRelease(5)) << "nothing of release 7 is installed";
    EXPECT_NE(uiTrace("ui1.trace").find("UpdateManager::runUpdate:nothing installed"),
              std::string::npos);

    serveSignature(publish(6, release(6)), keys.secretKey);
    auto second = start({}, "ui2.trace");
    EXPECT_EQ(exitOf(*second), 0);
    EXPECT_TRUE(installedRelease(6));
}

}  // namespace
}  // namespace launcher_test
