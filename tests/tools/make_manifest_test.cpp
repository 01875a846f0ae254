// The publishing tool run as a publisher runs it, on release trees in temporary directories;
// its manifest is read back by the launcher's own parse.
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/headless_fixture.h"
#include "tests/support/program_run.h"
#include "update/digest/md5.h"
#include "update/digest/sha256.h"
#include "update/manifest/key_file.h"
#include "update/manifest/manifest.h"
#include "update/manifest/manifest_writer.h"
#include "update/manifest/release_signature.h"

namespace {

namespace fs = std::filesystem;
using test_support::readFile;
using test_support::writeFile;
using Strings = std::vector<std::string>;
using namespace std::chrono_literals;

struct ToolResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class MakeManifestTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(release()); }

    std::string release() const { return dir.file("release"); }
    std::string inRelease(const std::string& name) const {
        const std::string path = release() + "/" + name;
        fs::create_directories(fs::path(path).parent_path());
        return path;
    }
    void file(const std::string& name, const std::string& content) {
        writeFile(inRelease(name), content);
    }
    // Runs `program` (the publishing tool by default) with a umask that would let anyone read
    // what it creates.
    ToolResult run(const Strings& args, const char* program = VEXO_MAKE_MANIFEST) const {
        Strings shell{"-c", "umask 0; exec \"$0\" \"$@\" >\"$OUT\" 2>\"$ERR\"", program};
        shell.insert(shell.end(), args.begin(), args.end());
        test_support::ProgramRun tool("/bin/sh", shell, dir.path(),
                                      {{"OUT", dir.file("out")}, {"ERR", dir.file("err")}});
        ToolResult result;
        result.exitCode = tool.wait(60s).value_or(-1);
        result.out = readFile(dir.file("out"));
        result.err = readFile(dir.file("err"));
        return result;
    }
    update::VersionInfo readBack() const {
        update::VersionInfo info;
        EXPECT_TRUE(update::parseRemoteVersion(readFile(release() + "/version.xml"), info));
        return info;
    }

    test_support::TempDir dir;
};

TEST_F(MakeManifestTest, ListsEveryFileOfTheTreeSoTheLauncherReadsItBack) {
    file("VexoClient.exe", "new launcher");
    file("Plus/install_flashplayer.exe", "installer");
    file("movies/deep/er/welcome.swf", std::string(70000, 'w'));
    file("empty", "");
    file("with space.txt", "spaced");
    file("version.xml", "the previous manifest, not a file of the release");
    file("version.xml.tmp-Ab12Cd", "left by a run that crashed while writing");
    fs::create_symlink("../VexoClient.exe", inRelease("links/launcher"));
    const ToolResult result = run({release(), "12", "2.0.15", "11.1"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "wrote " + release() + "/version.xml: 6 files\n");

    const update::VersionInfo info = readBack();
    EXPECT_EQ(info.updateNo, 12);
    EXPECT_EQ(info.versionText, "2.0.15");
    EXPECT_EQ(std::tie(info.flashMajor, info.flashMinor), std::make_tuple(11, 1));
    const Strings names{"Plus/install_flashplayer.exe", "VexoClient.exe", "empty", "links/launcher",
                        "movies/deep/er/welcome.swf",   "with space.txt"};
    ASSERT_EQ(info.files.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const update::FileEntry& entry = info.files[i];
        EXPECT_EQ(entry.name, names[i]);
        EXPECT_EQ(entry.path, names[i]);
        EXPECT_EQ(entry.md5, md5OfFile(release() + "/" + names[i])) << names[i];
        EXPECT_EQ(entry.length,
                  static_cast<std::int64_t>(fs::file_size(release() + "/" + names[i])));
    }
}

TEST_F(MakeManifestTest, TheSameTreeGivesTheSameTextAndNoFlashVersionWhenNoneIsGiven) {
    file("b/two", "2");
    file("a", "1");
    ASSERT_EQ(run({release(), "3", "1.0.0"}).exitCode, 0);
    const std::string first = readFile(release() + "/version.xml");
    ASSERT_EQ(run({release(), "3", "1.0.0"}).exitCode, 0);
    EXPECT_EQ(readFile(release() + "/version.xml"), first);
    EXPECT_EQ(first.find("flash-no"), std::string::npos);
    EXPECT_EQ(first.find("<root>\n    <latest-ver>\n        <update-no>3</update-no>"),
              first.find("<root>"));
    EXPECT_EQ(readBack().files.size(), 2u);
}

TEST_F(MakeManifestTest, BadArgumentsAreUsageErrorsThatWriteNothing) {
    file("a", "1");
    const std::string r = release();
    for (const Strings& args :
         {Strings{}, Strings{r, "1"}, Strings{r, "1", "1.0.0", "11.1", "more"},
          Strings{r, "x", "1.0.0"}, Strings{r, "-1", "1.0.0"}, Strings{r, "2147483648", "1.0.0"},
          Strings{r, "", "1.0.0"}, Strings{r, "1 ", "1.0.0"}, Strings{r, "1", "1.0"},
          Strings{r, "1", "1.0.0.0"}, Strings{r, "1", "1..0"}, Strings{r, "1", "1.0.0."},
          Strings{r, "1", "1.0.0", "11"}, Strings{r, "1", "1.0.0", "11.1.2"},
          Strings{r, "1", "1.0.0", "11.x"}}) {
        const ToolResult result = run(args);
        EXPECT_EQ(result.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_NE(result.err.find("usage: "), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fs::exists(release() + "/version.xml"));
    const ToolResult missing = run({dir.file("no such release"), "1", "1.0.0"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("not a folder"), std::string::npos) << missing.err;
}

// Each tree is refused with a message naming the entry, and the published manifest stays.
TEST_F(MakeManifestTest, EntriesTheUpdateRunCouldNotFetchAsListedAreRefused) {
    writeFile(dir.file("outside"), "secret");
    fs::create_directories(dir.file("folder"));
    const std::vector<std::pair<std::string, std::function<void()>>> trees{
        {"leaves", [&] { fs::create_symlink(dir.file("outside"), inRelease("leaves")); }},
        {"up", [&] { fs::create_symlink("../../outside", inRelease("sub/up")); }},
        {"folder", [&] { fs::create_symlink(dir.file("folder"), inRelease("folder")); }},
        {"inner", [&] { fs::create_symlink("sub", inRelease("inner")); }},
        {"dangling", [&] { fs::create_symlink("nowhere", inRelease("dangling")); }},
        {"fifo", [&] { ASSERT_EQ(mkfifo(inRelease("fifo").c_str(), 0600), 0); }},
        {"a\\b", [&] { file("a\\b", "x"); }},
        {"line\nbreak", [&] { file("line\nbreak", "x"); }},
        {"query?", [&] { file("query?", "x"); }},
        {"100%", [&] { file("100%", "x"); }},
        {"two  blanks", [&] { file("two  blanks", "x"); }},
        {" leading", [&] { file(" leading", "x"); }},
    };
    for (const auto& [name, make] : trees) {
        fs::remove_all(release());
        file("sub/good", "good");
        file("version.xml", "published");
        make();
        const ToolResult result = run({release(), "1", "1.0.0"});
        EXPECT_EQ(result.exitCode, 1) << name;
        EXPECT_NE(result.err.find(name), std::string::npos) << result.err;
        EXPECT_EQ(readFile(release() + "/version.xml"), "published") << name;
    }
}

class SignedReleaseTest : public MakeManifestTest {
  protected:
    // A new key pair through vexo-keygen: the secret key in the file "key", the public key as
    // the line it printed.
    update::PublicKey keygen() {
        const ToolResult result = run({dir.file("key")}, VEXO_KEYGEN);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        const std::string prefix = "update.publicKey=";
        EXPECT_EQ(result.out.rfind(prefix, 0), 0u) << result.out;
        EXPECT_EQ(result.out.back(), '\n');
        const auto key = update::decodePublicKey(
            result.out.substr(prefix.size(), result.out.size() - prefix.size() - 1));
        EXPECT_TRUE(key.has_value()) << result.out;
        return key.value_or(update::PublicKey{});
    }
    // Whether the release's version.xml.sig is `key`'s signature of its version.xml.
    bool manifestSignedWith(const update::PublicKey& key) const {
        const std::string manifest = readFile(release() + "/version.xml");
        const auto signature = update::decodeSignature(readFile(release() + "/version.xml.sig"));
        return signature && update::verifySignature(manifest, *signature, key);
    }
};

TEST_F(SignedReleaseTest, KeygenMakesAnOwnerOnlyKeyFileOnceAndPrintsOnlyThePublicKey) {
    const update::PublicKey publicKey = keygen();
    struct stat info {};
    ASSERT_EQ(lstat(dir.file("key").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "even under umask 0";
    const std::string secret = readFile(dir.file("key"));
    EXPECT_EQ(update::publicKeyOf(update::readSecretKeyFile(dir.file("key"))), publicKey);

    const ToolResult again = run({dir.file("key")}, VEXO_KEYGEN);
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find("never overwritten"), std::string::npos) << again.err;
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(readFile(dir.file("key")), secret);
    EXPECT_EQ(again.err.find(secret.substr(0, 20)), std::string::npos);

    fs::create_symlink(dir.file("target"), dir.file("link"));
    EXPECT_EQ(run({dir.file("link")}, VEXO_KEYGEN).exitCode, 1);
    EXPECT_FALSE(fs::exists(dir.file("target"))) << "nothing is written through a link";
    EXPECT_EQ(run({}, VEXO_KEYGEN).exitCode, 2);
}

TEST_F(SignedReleaseTest, ASignedManifestListsEverySha256AndItsSignatureVerifies) {
    const update::PublicKey publicKey = keygen();
    file("VexoClient.exe", "new launcher");
    file("Plus/install_flashplayer.exe", std::string(70000, 'i'));
    file("version.xml.sig", "an old signature, not a file of the release");
    file("version.xml.sig.tmp-Ab12Cd", "left by a run that crashed while writing");
    const ToolResult result = run({"--sign", dir.file("key"), release(), "4", "2.0.4", "11.1"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "wrote " + release() + "/version.xml and its signature: 2 files\n");

    EXPECT_TRUE(manifestSignedWith(publicKey));
    const update::VersionInfo info = readBack();
    ASSERT_EQ(info.files.size(), 2u);
    for (const update::FileEntry& entry : info.files) {
        EXPECT_EQ(entry.sha256, sha256OfFile(release() + "/" + entry.name)) << entry.name;
    }

    ASSERT_EQ(run({release(), "4", "2.0.4"}).exitCode, 0);
    EXPECT_EQ(readFile(release() + "/version.xml").find("sha256"), std::string::npos)
        << "only a signed release lists SHA-256";
}

TEST_F(SignedReleaseTest, AKeyFileThatIsNotPrivateOrNotAKeyPublishesNothing) {
    keygen();
    file("a", "1");
    file("version.xml", "published");
    writeFile(dir.file("garbage"), "not a key\n");
    fs::permissions(dir.file("garbage"), fs::perms::owner_read | fs::perms::owner_write);
    const std::vector<std::pair<std::string, std::string>> refused{
        {dir.file("missing"), "No such file"},
        {dir.file("garbage"), "not a secret key"},
        {dir.path(), "not a regular file"},
    };
    for (const auto& [key, message] : refused) {
        const ToolResult result = run({"--sign", key, release(), "1", "1.0.0"});
        EXPECT_EQ(result.exitCode, 1) << key;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    }
    fs::copy_file(dir.file("key"), inRelease("sub/release.key"));
    const ToolResult inside =
        run({"--sign", release() + "/sub/../sub/release.key", release(), "1", "1.0.0"});
    EXPECT_EQ(inside.exitCode, 1);
    EXPECT_NE(inside.err.find("inside the release"), std::string::npos) << inside.err;
    fs::remove(inRelease("sub/release.key"));
    fs::permissions(dir.file("key"), fs::perms::group_read, fs::perm_options::add);
    const ToolResult open = run({"--sign", dir.file("key"), release(), "1", "1.0.0"});
    EXPECT_EQ(open.exitCode, 1);
    EXPECT_NE(open.err.find("chmod 600"), std::string::npos) << open.err;
    EXPECT_EQ(run({"--sign"}).exitCode, 2);
    EXPECT_EQ(readFile(release() + "/version.xml"), "published");
    EXPECT_FALSE(fs::exists(release() + "/version.xml.sig"));
}

// The key file under another name, however it got there, publishes nothing, with the entry named:
// the file itself is known by its device and inode, a copy by its bytes.
TEST_F(SignedReleaseTest, AReleaseHoldingTheKeyFileUnderAnyNameIsRefused) {
    keygen();
    const std::string key = dir.file("key");
    fs::create_symlink(key, dir.file("key link"));
    struct Tree {
        std::string name;
        std::string why;
        std::function<void()> make;
    };
    const std::vector<Tree> trees{
        {"sub/hard", "the secret key file itself",
         [&] { fs::create_hard_link(key, inRelease("sub/hard")); }},
        {"notes.txt", "a copy of the secret key file",
         [&] { fs::copy_file(key, inRelease("notes.txt")); }},
        {"version.xml.tmp-Zz9Yy8", "a copy of the secret key file",
         [&] { fs::copy_file(key, inRelease("version.xml.tmp-Zz9Yy8")); }},
    };
    for (const std::string& keyArgument : {key, dir.file("key link")}) {
        for (const Tree& tree : trees) {
            fs::remove_all(release());
            file("a", "1");
            file("version.xml", "published");
            tree.make();
            const ToolResult result = run({"--sign", keyArgument, release(), "1", "1.0.0"});
            EXPECT_EQ(result.exitCode, 1) << tree.name;
            EXPECT_NE(result.err.find(tree.name + ": " + tree.why), std::string::npos)
                << result.err;
            EXPECT_EQ(readFile(release() + "/version.xml"), "published") << tree.name;
            EXPECT_FALSE(fs::exists(release() + "/version.xml.sig")) << tree.name;
        }
    }
}

TEST_F(SignedReleaseTest, AFileOfTheKeysLengthButOtherBytesIsPublished) {
    keygen();
    std::string lookalike = readFile(dir.file("key"));
    lookalike[0] = lookalike[0] == 'A' ? 'B' : 'A';
    file("lookalike", lookalike);
    const ToolResult result = run({"--sign", dir.file("key"), release(), "1", "1.0.0"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ASSERT_EQ(readBack().files.size(), 1u);
    EXPECT_EQ(readBack().files[0].name, "lookalike");
}

// A release published under a folder of its own: only that folder is listed, each entry gives
// it as its position, and the manifest and its signature go beside it, where the launcher asks.
class FilesUnderTest : public SignedReleaseTest {};

TEST_F(FilesUnderTest, OnlyTheReleasesFolderIsListedWithItAsEveryPosition) {
    const update::PublicKey publicKey = keygen();
    file("files/2.0.1/VexoClient.exe", "the launcher of release 1");
    file("files/2.0.2/VexoClient.exe", "the launcher of release 2");
    file("files/2.0.2/movies/welcome.swf", "splash");
    file("files/2.0.2/version.xml", "an installation's own manifest, copied along");
    file("stray.txt", "beside the folders, not in the release");
    const ToolResult result =
        run({"--files-under", "files/2.0.2", "--sign", dir.file("key"), release(), "2", "2.0.2"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "wrote " + release() +
                              "/version.xml and its signature: 2 files under files/2.0.2/\n");

    EXPECT_TRUE(manifestSignedWith(publicKey));
    const update::VersionInfo info = readBack();
    ASSERT_EQ(info.files.size(), 2u);
    EXPECT_EQ(info.files[0].name, "VexoClient.exe");
    EXPECT_EQ(info.files[1].name, "movies/welcome.swf");
    for (const update::FileEntry& entry : info.files) {
        EXPECT_EQ(entry.position, "files/2.0.2/");
        EXPECT_EQ(entry.path, "files/2.0.2/" + entry.name) << "the launcher's request path";
        EXPECT_EQ(entry.sha256, sha256OfFile(release() + "/" + entry.path)) << entry.name;
    }
}

TEST_F(FilesUnderTest, AFolderNameGetsItsSlash) {
    file("2.0.2/a", "1");
    ASSERT_EQ(run({"--files-under", "2.0.2", release(), "2", "2.0.2"}).exitCode, 0);
    ASSERT_EQ(readBack().files.size(), 1u);
    EXPECT_EQ(readBack().files[0].path, "2.0.2/a");
}

TEST_F(FilesUnderTest, AFolderThatCannotStandInAUrlAsItIsIsAUsageErrorThatWritesNothing) {
    file("a/b/c", "1");
    file("version.xml", "published");
    for (const std::string folder : {"",
                                     "/",
                                     "/a/",
                                     "a//b",
                                     "a/b//",
                                     "../a",
                                     "a/../b",
                                     "a/..",
                                     "./a",
                                     "a/./b",
                                     "a b",
                                     "a%20b",
                                     "a?b",
                                     "a#b",
                                     "a\\b",
                                     "a\nb",
                                     "名",
                                     "version.xml",
                                     "version.xml.sig/x",
                                     "a:b"}) {
        const ToolResult result = run({"--files-under", folder, release(), "2", "2.0.2"});
        EXPECT_EQ(result.exitCode, 2) << folder;
        EXPECT_NE(result.err.find("--files-under"), std::string::npos) << result.err;
        EXPECT_EQ(readFile(release() + "/version.xml"), "published") << folder;
    }
}

// The files go up before the manifest that lists them: a folder not there is a step left out.
TEST_F(FilesUnderTest, AMissingFolderFailsAndWritesNothing) {
    file("files/2.0.1/a", "1");
    file("version.xml", "published");
    const ToolResult result = run({"--files-under", "files/2.0.2/", release(), "2", "2.0.2"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("files/2.0.2"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("copy the release's files there first"), std::string::npos);
    EXPECT_EQ(readFile(release() + "/version.xml"), "published");
}

}  // namespace
