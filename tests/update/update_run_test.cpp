#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>

#include "tests/support/file_text.h"
#include "tests/support/http_test_server.h"
#include "tests/update/update_fixture.h"
#include "update/manifest/manifest.h"

namespace update_test {
namespace {

using namespace std::chrono_literals;
using test_support::writeFile;
using Tree = std::vector<std::pair<std::string, std::string>>;

class UpdateRunTest : public UpdateFixture {};

TEST_F(UpdateRunTest, ChangedFilesAreDownloadedIntoNewFoldersAndInstalled) {
    writeFile("same.txt", "unchanged");
    writeFile("old.txt", "old content");
    release({publish("same.txt", "unchanged"), publish("old.txt", "new content"),
             publish("a/b/c/deep.txt", "deep"), publish("empty.txt", ""),
             publish("win\\style.txt", "backslashes")});
    EXPECT_TRUE(runUpdate());
    EXPECT_EQ(installationFiles(), (Tree{{"a/b/c/deep.txt", "deep"},
                                         {"config.properties", installed("config.properties")},
                                         {"empty.txt", ""},
                                         {"old.txt", "new content"},
                                         {"same.txt", "unchanged"},
                                         {"version.xml", installed("version.xml")},
                                         {"win/style.txt", "backslashes"}}));
    EXPECT_NE(installed("version.xml").find("<update-no>2</update-no>"), std::string::npos)
        << "the install advances the local manifest with the files";
    EXPECT_EQ(server_.requests(),
              (std::vector<std::string>{"/vexo/files/old.txt", "/vexo/files/a/b/c/deep.txt",
                                        "/vexo/files/empty.txt", "/vexo/files/win\\style.txt"}))
        << "up-to-date files are not fetched; the rest one at a time, in list order";
    EXPECT_TRUE(stagedFiles().empty()) << "folders stay, files go";
    EXPECT_TRUE(std::filesystem::is_directory("update/Plus"));
}

TEST_F(UpdateRunTest, DownloadsThatAreNotTheListedFileAreNeverInstalled) {
    writeFile("cut.bin", "good old");
    writeFile("long.bin", "good old");
    writeFile("altered.bin", "good old");
    update::FileEntry cut = publish("cut.bin", "short");
    cut.length = 10;  // the server sends fewer bytes than listed
    update::FileEntry longer = publish("long.bin", std::string(20000, 'x'));
    longer.length = 100;
    longer.md5 = md5Of(std::string(100, 'x'));
    update::FileEntry altered = publish("altered.bin", "evil");
    altered.md5 = md5Of("good new");
    server_.answer("/vexo/files/missing.bin", 404, "");
    server_.answer("/vexo/files/broken.bin", 500, "error page");
    release({cut, longer, altered, entry("missing.bin", "x"), entry("broken.bin", "y"),
             publish("fine.bin", "fine")});

    EXPECT_FALSE(runUpdate()) << "a due file that did not arrive fails the run";
    for (const char* name : {"cut.bin", "long.bin", "altered.bin"}) {
        EXPECT_EQ(installed(name), "good old") << name;
        EXPECT_TRUE(wasLogged(std::string("DownloadThread::run:digest mismatch update/") + name));
    }
    EXPECT_FALSE(exists("missing.bin"));
    EXPECT_FALSE(exists("broken.bin"));
    EXPECT_TRUE(wasLogged("httpFile.statusCode:404"));
    EXPECT_TRUE(wasLogged("httpFile.statusCode:500"));
    EXPECT_FALSE(exists("fine.bin")) << "nothing is installed while a due file is missing";
    EXPECT_TRUE(wasLogged("UpdateManager::runUpdate:nothing installed"));
    EXPECT_EQ(stagedFiles(), (Tree{{"fine.bin", "fine"}})) << "kept for the next run";
    EXPECT_FALSE(exists("version.xml"));
}

TEST_F(UpdateRunTest, ABodyCutByTheServerOrAStallingServerFailsTheRun) {
    const std::string content(5000, 'c');
    for (const auto& [reply, hold] :
         {std::pair<std::string, std::chrono::milliseconds>{
              "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + content.substr(0, 2000), 0ms},
          {"HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + content.substr(0, 100), 60s}}) {
        test_support::RawHttpServer server(reply, hold);
        configure(server.port());
        manager_.setTimeouts({5s, 200ms});
        writeFile("file.bin", "old");
        release({entry("file.bin", content)});
        EXPECT_FALSE(runUpdate());
        EXPECT_EQ(installed("file.bin"), "old");
        EXPECT_FALSE(exists("update/file.bin")) << "only a whole download gets its name";
    }
}

// A large file over a flaky link arrives across starts: what arrived before is kept under its
// temporary name and only the rest is asked for; the whole file is checked at the end.
TEST_F(UpdateRunTest, ADownloadCutHalfWayResumesWithTheRestOnly) {
    std::string content(40000, 'r');
    content.replace(0, 12, "release data");
    // A run of update `updateNo` whose server sends half of `name` and closes the connection.
    const auto cutDownload = [&](const std::string& name, int updateNo) {
        test_support::RawHttpServer cut("HTTP/1.1 200 OK\r\nContent-Length: 40000\r\n\r\n" +
                                        content.substr(0, 20000));
        configure(cut.port());
        release({entry(name, content)}, updateNo);
        EXPECT_FALSE(runUpdate());
        configure(server_.port());
        publish(name, content);
    };
    cutDownload("big.bin", 2);
    const std::int64_t arrived = 16384;  // two whole blocks of the 20000 bytes sent
    ASSERT_EQ(installed("update/big.bin.vexo-partial"), content.substr(0, arrived));
    manager_.recover();
    EXPECT_TRUE(runUpdate());
    EXPECT_EQ(installed("big.bin"), content);
    const auto served = server_.served();
    ASSERT_EQ(served.size(), 1u);
    EXPECT_EQ(served[0].range, "bytes=16384-");
    EXPECT_EQ(served[0].status, 206);
    EXPECT_EQ(served[0].bodyBytes, content.size() - arrived) << "the rest only";

    // A server that ignores the range sends the whole file, which replaces the partial one.
    cutDownload("big2.bin", 3);
    server_.ignoreRanges("/vexo/files/big2.bin");
    EXPECT_TRUE(runUpdate());
    EXPECT_EQ(installed("big2.bin"), content);
    EXPECT_EQ(server_.served().back().status, 200);

    // A partial download of another release is not resumed.
    cutDownload("big3.bin", 4);
    release({entry("big3.bin", content)}, 5);
    EXPECT_TRUE(runUpdate());
    EXPECT_EQ(server_.served().back().range, "");
}

TEST_F(UpdateRunTest, TheLauncherWaitsInUpdateOnlyAtTheTop) {
    release({publish("VexoClient.exe", "new launcher"), publish("bin/VexoClient.exe", "copy")});
    writeFile("VexoClient.exe", "old launcher");
    EXPECT_TRUE(runUpdate());
    EXPECT_EQ(installed("VexoClient.exe"), "old launcher") << "the updater swaps it in";
    EXPECT_EQ(installed("update/VexoClient.exe"), "new launcher");
    EXPECT_EQ(installed("bin/VexoClient.exe"), "copy");
    EXPECT_FALSE(exists("update/bin/VexoClient.exe"));
}

TEST_F(UpdateRunTest, TheInstallerIsFetchedOnlyWhenTheMovieControlIsDue) {
    writeFile("Plus_marker", "");
    const update::FileEntry installer = publish("Plus/install_flashplayer.exe", "#!/bin/sh\n");
    release({installer});
    EXPECT_TRUE(runUpdate(false));
    EXPECT_TRUE(server_.requests().empty());
    EXPECT_FALSE(exists("Plus/install_flashplayer.exe"));

    EXPECT_TRUE(runUpdate(true));
    EXPECT_EQ(installed("Plus/install_flashplayer.exe"), "#!/bin/sh\n");
    EXPECT_EQ(std::filesystem::status("Plus/install_flashplayer.exe").permissions() &
                  std::filesystem::perms::owner_exec,
              std::filesystem::perms::owner_exec)
        << "a script arrives executable";
}

TEST_F(UpdateRunTest, NamesThatLeaveTheInstallationAreRefused) {
    for (const char* name :
         {"../outside/keep.txt", "..\\outside\\keep.txt", "/tmp/x", "a/../../outside/keep.txt"}) {
        SCOPED_TRACE(name);
        release({publish(name, "evil")});
        EXPECT_FALSE(runUpdate());
        EXPECT_TRUE(wasLogged(std::string("DownloadThread::run:refused files/") + name));
    }
    update::FileEntry position = publish("x.txt", "evil", "../");
    release({position});
    EXPECT_FALSE(runUpdate());
    EXPECT_TRUE(server_.requests().empty()) << "nothing is requested or written";
    EXPECT_FALSE(exists("x.txt"));
}

// Nothing in update/ is installed or kept unless the receipt vouches for it.
TEST_F(UpdateRunTest, LeftoversTheReceiptDoesNotVouchForAreRemovedAtStart) {
    std::filesystem::create_directories("update/sub");
    writeFile("update/listed.txt", "listed content");
    writeFile("update/sub/unlisted.txt", "unlisted");
    writeFile("update/cut.txt.vexo-partial", "whole c");
    manager_.recover();
    EXPECT_TRUE(treeOf("update").empty()) << "without a receipt nothing there is trusted";
    EXPECT_TRUE(wasLogged("UpdateManager::runUpdate:stale download removed update/listed.txt"));
    EXPECT_TRUE(std::filesystem::is_directory("update/sub"));

    const update::FileEntry listed = publish("listed.txt", "listed content");
    release({listed, publish("other.txt", "other")});
    server_.answer("/vexo/files/other.txt", 404, "");
    EXPECT_FALSE(runUpdate());
    ASSERT_EQ(stagedFiles(), (Tree{{"listed.txt", "listed content"}}));
    writeFile("update/listed.txt", "listed changed");
    manager_.recover();
    EXPECT_TRUE(stagedFiles().empty()) << "a file that no longer matches the receipt goes too";

    EXPECT_FALSE(runUpdate());
    writeFile("update/planted.txt", "planted");
    manager_.recover();
    ASSERT_EQ(stagedFiles(), (Tree{{"listed.txt", "listed content"}}));
    const std::size_t requests = server_.requests().size();
    server_.answer("/vexo/files/other.txt", 200, "other");
    ASSERT_TRUE(runUpdate());
    EXPECT_EQ(server_.requests().size(), requests + 1)
        << "a file staged for the same release is used, not fetched again";
    EXPECT_EQ(installed("listed.txt"), "listed content");
    EXPECT_EQ(installed("other.txt"), "other");
    EXPECT_FALSE(exists("planted.txt"));
    EXPECT_FALSE(exists("sub/unlisted.txt"));
}

// A disk that fills up in the middle of a release: a write error at the file layer (a file
// size limit, EFBIG, which no one needs privileges to set) stops one download; nothing of the
// release is installed.
TEST_F(UpdateRunTest, AWriteErrorInTheMiddleOfAReleaseInstallsNothing) {
    writeFile("a.txt", "old a");
    writeFile("big.bin", "old big");
    writeFile("z.txt", "old z");
    release({publish("a.txt", "new a"), publish("big.bin", std::string(256 << 10, 'b')),
             publish("z.txt", "new z")});
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &previous), 0);
    struct rlimit limit {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    struct rlimit full = limit;
    full.rlim_cur = 64 << 10;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    const bool updated = runUpdate();
    setrlimit(RLIMIT_FSIZE, &limit);
    sigaction(SIGXFSZ, &previous, nullptr);
    EXPECT_FALSE(updated);
    EXPECT_EQ(lastRun_, update::RunResult::notDownloaded);
    EXPECT_TRUE(wasLogged("UpdateManager::runUpdate:files not downloaded:1"));
    EXPECT_EQ(installed("a.txt"), "old a");
    EXPECT_EQ(installed("big.bin"), "old big");
    EXPECT_EQ(installed("z.txt"), "old z");
    EXPECT_FALSE(exists("update/big.bin"));
    EXPECT_FALSE(exists("version.xml"));
}

// Only a higher update number is due, but a run also starts for a missing movie control: even
// then a release older than the installed one installs nothing, signed or not.
TEST_F(UpdateRunTest, AReleaseOlderThanTheInstalledOneInstallsNothing) {
    writeFile("version.xml", "<ver><no>1.0.6</no><update-no>6</update-no></ver>");
    server_.answer("/vexo/version.xml", 200,
                   "<root><latest-ver><update-no>5</update-no><no>1.0.5</no><files><f>"
                   "<position>files/</position><name>a.txt</name><md5-code>" +
                       md5Of("release 5") +
                       "</md5-code><length>9</length></f></files>"
                       "</latest-ver></root>");
    publish("a.txt", "release 5");
    writeFile("a.txt", "release 6");
    ASSERT_TRUE(manager_.loadVersions(config_));
    EXPECT_FALSE(runUpdate());
    EXPECT_EQ(lastRun_, update::RunResult::olderRelease);
    EXPECT_EQ(installed("a.txt"), "release 6");
    EXPECT_TRUE(server_.requests() == std::vector<std::string>{"/vexo/version.xml"});
    EXPECT_TRUE(wasLogged(
        "UpdateManager::runUpdate:update 5 is older than the installed one, nothing installed"));
}

TEST_F(UpdateRunTest, AFileThatCannotBeReplacedInstallsNothing) {
    std::filesystem::create_directories("b.txt/inside");
    release({publish("a.txt", "a"), publish("b.txt", "b"), publish("c.txt", "c")});
    EXPECT_FALSE(runUpdate());
    EXPECT_EQ(lastRun_, update::RunResult::notInstalled);
    EXPECT_FALSE(exists("a.txt"));
    EXPECT_TRUE(std::filesystem::is_directory("b.txt/inside"));
    EXPECT_FALSE(exists("c.txt"));
    EXPECT_EQ(stagedFiles(), (Tree{{"a.txt", "a"}, {"b.txt", "b"}, {"c.txt", "c"}}))
        << "update keeps its files for the next run";
    EXPECT_TRUE(wasLogged("copyDirectory:cannot replace ./b.txt"));
}

TEST_F(UpdateRunTest, LockedAndReadOnlyFilesAreReplaced) {
    writeFile("locked.txt", "old");
    writeFile("readonly.txt", "old");
    std::filesystem::permissions(
        "readonly.txt", std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    const int fd = ::open("locked.txt", O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    release({publish("locked.txt", "old"), publish("readonly.txt", "new")});
    EXPECT_TRUE(runUpdate());
    ::close(fd);
    EXPECT_EQ(server_.requests().front(), "/vexo/files/locked.txt")
        << "a file that cannot be read counts as changed";
    EXPECT_EQ(installed("readonly.txt"), "new");
    EXPECT_EQ(std::filesystem::status("readonly.txt").permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::group_read)
        << "the replacement keeps the installed file's mode";
}

TEST_F(UpdateRunTest, UpdateFolderThatIsAFileFailsBeforeAnyDownload) {
    writeFile("update", "not a folder");
    release({publish("a.txt", "a")});
    EXPECT_FALSE(runUpdate());
    EXPECT_EQ(lastRun_, update::RunResult::noUpdateFolder);
    EXPECT_TRUE(server_.requests().empty());

    std::filesystem::remove("update");
    std::filesystem::create_directory("update");
    writeFile("update/Plus", "not a folder either");
    EXPECT_FALSE(runUpdate());
    EXPECT_EQ(lastRun_, update::RunResult::noUpdateFolder);
    EXPECT_TRUE(server_.requests().empty());
    EXPECT_FALSE(exists("a.txt"));
}

TEST_F(UpdateRunTest, AnUnfinishedInstallIsNeitherDownloadedForNorRunOver) {
    std::filesystem::create_directories("update/Plus");
    writeFile("update/.vexo-journal", "left by an interrupted install");
    release({publish("a.txt", "a")});
    EXPECT_FALSE(runUpdate());
    EXPECT_EQ(lastRun_, update::RunResult::unfinishedInstall);
    EXPECT_TRUE(server_.requests().empty());
    EXPECT_TRUE(
        wasLogged("UpdateManager::runUpdate:an earlier install is unfinished, nothing installed"));
}

TEST_F(UpdateRunTest, AnUpdateFolderThatIsALinkFailsBeforeAnyDownload) {
    std::filesystem::create_directory_symlink(root_.file("outside"), "update");
    release({publish("a.txt", "a")});
    EXPECT_FALSE(runUpdate());
    EXPECT_EQ(lastRun_, update::RunResult::noUpdateFolder);
    EXPECT_TRUE(server_.requests().empty());
    EXPECT_FALSE(exists("a.txt"));
    // The fixture checks that the folder the link leads to is untouched.
}

TEST_F(UpdateRunTest, LinksAndPipesWhereDownloadsGoAreReplacedNeverFollowed) {
    std::filesystem::create_directories("update/Plus");
    std::filesystem::create_directory_symlink(root_.file("outside"), "update/sub");
    std::filesystem::create_symlink(root_.file("outside/keep.txt"), "update/link.txt");
    std::filesystem::create_hard_link(root_.file("outside/keep.txt"), "update/hard.txt");
    ASSERT_EQ(mkfifo("update/pipe.txt", 0600), 0);
    release({publish("sub/x.txt", "x"), publish("link.txt", "link"), publish("hard.txt", "hard"),
             publish("pipe.txt", "pipe")});
    EXPECT_TRUE(runUpdate());
    EXPECT_EQ(installationFiles(), (Tree{{"config.properties", installed("config.properties")},
                                         {"hard.txt", "hard"},
                                         {"link.txt", "link"},
                                         {"pipe.txt", "pipe"},
                                         {"sub/x.txt", "x"},
                                         {"version.xml", installed("version.xml")}}));
    EXPECT_TRUE(stagedFiles().empty());
}

TEST_F(UpdateRunTest, TheLocalManifestAdvancesOnlyAfterAnUpdateWasDue) {
    const std::string manifest =
        "<root><latest-ver><update-no>7</update-no><no>1.2.3</no><files/></latest-ver></root>";
    server_.answer("/vexo/version.xml", 200, manifest);
    writeFile("version.xml", "<ver><no>1.2.2</no><update-no>6</update-no></ver>");
    ASSERT_TRUE(manager_.loadVersions(config_));
    EXPECT_EQ(manager_.local().updateNo, 6);
    EXPECT_TRUE(manager_.needsUpdate());
    EXPECT_TRUE(runUpdate());
    EXPECT_TRUE(manager_.writeLocalVersion());
    update::VersionInfo local;
    ASSERT_TRUE(update::loadLocalVersion(local));
    EXPECT_EQ(local.updateNo, 7);

    ASSERT_TRUE(manager_.loadVersions(config_));
    EXPECT_FALSE(manager_.needsUpdate());
    EXPECT_FALSE(manager_.writeLocalVersion());
}

TEST_F(UpdateRunTest, TheLocalManifestIsNotReadWhenTheRemoteOneFails) {
    writeFile("version.xml", "<ver><no>1.2.2</no><update-no>6</update-no></ver>");
    EXPECT_FALSE(manager_.loadVersions(config_));
    EXPECT_EQ(manager_.local().updateNo, 0);
}

TEST_F(UpdateRunTest, UpToDateTestIsExactAndSurvivesUnreadableFiles) {
    writeFile("f.txt", "content");
    EXPECT_TRUE(manager_.isUpToDate("f.txt", md5Of("content")));
    EXPECT_FALSE(manager_.isUpToDate("F.txt", md5Of("content")));
    std::string upper = md5Of("content");
    for (char& c : upper) c = static_cast<char>(std::toupper(c));
    EXPECT_FALSE(manager_.isUpToDate("f.txt", upper));
    EXPECT_FALSE(manager_.isUpToDate("missing.txt", md5Of("")));
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    EXPECT_FALSE(manager_.isUpToDate("pipe", md5Of(""))) << "a pipe is not waited on";
}

}  // namespace
}  // namespace update_test
