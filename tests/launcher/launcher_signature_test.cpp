// The launcher of an installation that trusts a release key: a signed release goes through as
// any other, a manifest without its publisher's signature is a failed version check.
#include "tests/launcher/launcher_fixture.h"
#include "update/release_signature.h"

namespace launcher_test {
namespace {

using test_support::readFile;
using test_support::writeFile;

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

}  // namespace
}  // namespace launcher_test
