// Installations that trust a release key: the manifest is taken only with its publisher's
// signature, and every file only with its listed SHA-256.
#include <filesystem>

#include "tests/update/update_fixture.h"
#include "update/digest/sha256.h"
#include "update/manifest/manifest_writer.h"
#include "update/manifest/release_signature.h"

namespace update_test {
namespace {

namespace fs = std::filesystem;
using test_support::readFile;
using test_support::writeFile;
using Strings = std::vector<std::string>;
using Tree = std::vector<std::pair<std::string, std::string>>;
using Files = std::vector<std::pair<std::string, std::string>>;

update::ReleaseFile listed(const std::string& name, const std::string& content) {
    return {name, md5Of(content), sha256Of(content), static_cast<std::uint64_t>(content.size())};
}

class SignedUpdateTest : public UpdateFixture {
  protected:
    void SetUp() override {
        UpdateFixture::SetUp();
        trust(update::encodePublicKey(keys_.publicKey));
    }

    // config.properties for the fixture's server with `keyText` as the trusted key.
    void trust(const std::string& keyText) {
        writeFile("config.properties",
                  "server.host=127.0.0.1\nserver.port=" + std::to_string(server_.port()) +
                      "\nserver.path=/vexo/\nupdate.publicKey = " + keyText + "\n");
        loadConfig();
    }

    // Publishes `files` as the publisher does: a release folder signed by the publishing code,
    // every file of it (manifest and signature included) served below /vexo/.
    void publishRelease(const Files& files, const update::SecretKey& key, int updateNo = 2) {
        const std::string release = root_.file("release" + std::to_string(updateNo));
        for (const auto& [name, content] : files) {
            fs::create_directories(fs::path(release + "/" + name).parent_path());
            writeFile(release + "/" + name, content);
        }
        const std::string number = std::to_string(updateNo);
        update::writeReleaseManifest(release, {number, "1.0." + number, ""}, {}, &key);
        for (const auto& entry : fs::recursive_directory_iterator(release)) {
            if (!entry.is_regular_file()) continue;
            server_.answer("/vexo/" + fs::relative(entry.path(), release).string(), 200,
                           readFile(entry.path().string()));
        }
    }

    // Serves a manifest of `files` as given, signed by `key`, and returns its text.
    std::string serveSigned(const std::vector<update::ReleaseFile>& files,
                            const update::SecretKey& key) {
        const std::string text = update::manifestText({"2", "1.0.2", ""}, files);
        server_.answer("/vexo/version.xml", 200, text);
        server_.answer("/vexo/version.xml.sig", 200,
                       update::encodeSignature(update::signMessage(text, key)));
        return text;
    }

    update::KeyPair keys_ = update::makeKeyPair();
};

TEST_F(SignedUpdateTest, ASignedReleaseInstalls) {
    Files files{{"bin/VexoClientPlay.exe", "#!/bin/sh\necho player 2\n"}, {"welcome.swf", ""}};
    // Enough files for a manifest of several 8192-byte blocks: all of them are signed.
    for (int i = 0; i < 40; ++i) files.emplace_back("movies/m" + std::to_string(i), "movie");
    publishRelease(files, keys_.secretKey);
    ASSERT_GT(readFile(root_.file("release2/version.xml")).size(), 8192u);

    ASSERT_TRUE(manager_.loadVersions(config_));
    EXPECT_TRUE(manager_.needsUpdate());
    EXPECT_EQ(manager_.remote().files.at(0).sha256, sha256Of(files[0].second));
    EXPECT_TRUE(runUpdate());
    for (const auto& [name, content] : files) EXPECT_EQ(installed(name), content) << name;
    const Strings requests = server_.requests();
    ASSERT_EQ(requests.size(), 2 + files.size());
    EXPECT_EQ(Strings(requests.begin(), requests.begin() + 2),
              (Strings{"/vexo/version.xml", "/vexo/version.xml.sig"}));
}

// Each is refused before the manifest is parsed: nothing is listed, fetched or installed.
TEST_F(SignedUpdateTest, AManifestWithoutItsPublishersSignatureIsRefused) {
    const update::KeyPair attacker = update::makeKeyPair();
    const std::string config = readFile("config.properties");
    const std::string text = serveSigned({listed("a.txt", "a")}, keys_.secretKey);
    const std::string signature =
        update::encodeSignature(update::signMessage(text, keys_.secretKey));
    std::string changed = text;
    changed[changed.find("<no>1.0.2") + 8] = '3';
    const std::string takeover = update::manifestText(
        {"2", "1.0.2", ""},
        {listed("config.properties",
                "update.publicKey=" + update::encodePublicKey(attacker.publicKey))});
    struct Case {
        const char* what;
        std::string manifest;
        int status;
        std::string signature;
        const char* reason;  // logged before the verdict, if anything
    };
    const Case cases[] = {
        {"one byte changed", changed, 200, signature, nullptr},
        {"signed by another key, shipping that key", takeover, 200,
         update::encodeSignature(update::signMessage(takeover, attacker.secretKey)), nullptr},
        {"no signature", text, 404, signature, "请求版本签名失败!"},
        {"not a signature", text, 200, "this is not a signature\n", "version.xml.sig格式不对!"},
        {"cut short", text, 200, signature.substr(0, 60), "version.xml.sig格式不对!"},
        {"empty", text, 200, "", "version.xml.sig格式不对!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t before = server_.requests().size();
        server_.answer("/vexo/version.xml", 200, c.manifest);
        server_.answer("/vexo/version.xml.sig", c.status, c.signature);
        EXPECT_FALSE(manager_.loadVersions(config_));
        EXPECT_FALSE(manager_.remote().valid);
        EXPECT_TRUE(manager_.remote().files.empty());
        const Strings logs = logged();
        EXPECT_EQ(logs.back(), "version.xml签名无效!");
        if (c.reason) {
            EXPECT_EQ(logs.at(logs.size() - 2), c.reason);
        }
        const Strings requests = server_.requests();
        EXPECT_EQ(Strings(requests.begin() + static_cast<std::ptrdiff_t>(before), requests.end()),
                  (Strings{"/vexo/version.xml", "/vexo/version.xml.sig"}));
    }
    EXPECT_EQ(readFile("config.properties"), config);
    EXPECT_FALSE(exists("update"));
}

TEST_F(SignedUpdateTest, AKeyLineThatIsNoKeyFailsClosedWithoutARequest) {
    const std::string key = update::encodePublicKey(keys_.publicKey);
    serveSigned({listed("a.txt", "a")}, keys_.secretKey);
    for (const std::string& bad : {std::string(), key.substr(0, 43), key.substr(0, 40) + "!!!=",
                                   std::string("AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=="),
                                   key.substr(0, 43) + "AAAA"}) {
        SCOPED_TRACE(bad);
        trust(bad);
        EXPECT_FALSE(manager_.loadVersions(config_));
        EXPECT_EQ(logged().back(), "update.publicKey格式不对!");
    }
    EXPECT_TRUE(server_.requests().empty());
    trust(key);
    EXPECT_TRUE(manager_.loadVersions(config_)) << "the same release with the key written right";
}

TEST_F(SignedUpdateTest, ASignedManifestMustParseFromTheSignedBytesAndListEverySha256) {
    update::ReleaseFile bare = listed("b.txt", "b");
    bare.sha256.clear();
    serveSigned({listed("a.txt", "a"), bare}, keys_.secretKey);
    EXPECT_FALSE(manager_.loadVersions(config_));
    EXPECT_EQ(logged().back(), "fetchRemoteVersion:file without sha256 b.txt");
    EXPECT_FALSE(manager_.remote().valid);

    // A zero byte is signed like any other, and the parse refuses it rather than reading less.
    const std::string text = update::manifestText({"2", "1.0.2", ""}, {listed("a.txt", "a")});
    const std::string zeroed = text + std::string(1, '\0');
    server_.answer("/vexo/version.xml", 200, zeroed);
    server_.answer("/vexo/version.xml.sig", 200,
                   update::encodeSignature(update::signMessage(zeroed, keys_.secretKey)));
    EXPECT_FALSE(manager_.loadVersions(config_));
    EXPECT_EQ(logged().back(), "remote version.xml文件格式错误!");
}

// MD5 is weak: with the key, a file counts as the listed one only with the listed SHA-256 too,
// whether it is downloaded, installed already or left in update/ by an earlier run.
TEST_F(SignedUpdateTest, OnlyFilesWithTheListedSha256AreInstalledOrKept) {
    writeFile("swapped.bin", "old");
    writeFile("planted.bin", "planted");
    fs::create_directories("update");
    writeFile("update/left.bin", "left");
    manager_.recover();
    server_.answer("/vexo/swapped.bin", 200, "evil");
    server_.answer("/vexo/planted.bin", 200, "planted");
    update::ReleaseFile swapped = listed("swapped.bin", "evil");
    swapped.sha256 = sha256Of("good");
    update::ReleaseFile planted = listed("planted.bin", "planted");
    planted.sha256 = sha256Of("the real file");
    update::ReleaseFile left = listed("left.bin", "left");
    left.sha256 = sha256Of("the real left");
    server_.answer("/vexo/left.bin", 404, "");
    serveSigned({swapped, planted, left, listed("fine.bin", "fine")}, keys_.secretKey);
    server_.answer("/vexo/fine.bin", 200, "fine");
    ASSERT_TRUE(manager_.loadVersions(config_));

    EXPECT_FALSE(runUpdate());
    EXPECT_EQ(installed("swapped.bin"), "old");
    EXPECT_TRUE(wasLogged("DownloadThread::run:digest mismatch update/swapped.bin"));
    EXPECT_TRUE(wasLogged("DownloadThread::run:digest mismatch update/planted.bin"))
        << "an installed copy with the right MD5 is not taken as up to date";
    EXPECT_TRUE(wasLogged("UpdateManager::runUpdate:stale download removed update/left.bin"));
    EXPECT_FALSE(exists("left.bin"));
    EXPECT_FALSE(exists("fine.bin")) << "nothing is installed while a due file is missing";
    EXPECT_EQ(stagedFiles(), (Tree{{"fine.bin", "fine"}}));
}

// The way to a new key: a release signed by the old one ships the new config.properties.
TEST_F(SignedUpdateTest, ASignedReleaseRotatesTheKey) {
    const update::KeyPair next = update::makeKeyPair();
    const std::string newConfig =
        "server.host=127.0.0.1\nserver.port=" + std::to_string(server_.port()) +
        "\nserver.path=/vexo/\nupdate.publicKey=" + update::encodePublicKey(next.publicKey) + "\n";
    publishRelease({{"config.properties", newConfig}}, keys_.secretKey);
    ASSERT_TRUE(manager_.loadVersions(config_));
    ASSERT_TRUE(runUpdate());
    ASSERT_EQ(readFile("config.properties"), newConfig);
    loadConfig();  // as the next start reads it

    publishRelease({{"a.txt", "3"}}, keys_.secretKey, 3);
    EXPECT_FALSE(manager_.loadVersions(config_)) << "the old key is no longer trusted";
    EXPECT_EQ(logged().back(), "version.xml签名无效!");
    publishRelease({{"a.txt", "3"}}, next.secretKey, 3);
    EXPECT_TRUE(manager_.loadVersions(config_));
}

class UnsignedSha256Test : public UpdateFixture {};

// Without a key nothing about the manifest changes, but a SHA-256 it lists is still checked.
TEST_F(UnsignedSha256Test, APresentSha256IsCheckedWithoutAKey) {
    update::FileEntry wrong = publish("wrong.bin", "content");
    wrong.sha256 = sha256Of("other content");
    update::FileEntry right = publish("right.bin", "content");
    right.sha256 = sha256Of("content");
    writeFile("kept.bin", "kept");
    update::FileEntry kept = publish("kept.bin", "kept");
    kept.sha256 = sha256Of("kept");
    release({wrong, right, kept, publish("plain.bin", "plain")});
    EXPECT_FALSE(runUpdate());
    EXPECT_FALSE(exists("wrong.bin"));
    EXPECT_TRUE(wasLogged("DownloadThread::run:digest mismatch update/wrong.bin"));
    EXPECT_EQ(stagedFiles(), (Tree{{"plain.bin", "plain"}, {"right.bin", "content"}}));
    EXPECT_EQ(server_.requests(),
              (Strings{"/vexo/files/wrong.bin", "/vexo/files/right.bin", "/vexo/files/plain.bin"}));

    EXPECT_TRUE(manager_.isUpToDate("kept.bin", md5Of("kept"), sha256Of("kept")));
    EXPECT_FALSE(manager_.isUpToDate("kept.bin", md5Of("kept"), sha256Of("other")));
    EXPECT_TRUE(manager_.isUpToDate("kept.bin", "", sha256Of("kept"))) << "the SHA-256 decides";
}

}  // namespace
}  // namespace update_test
