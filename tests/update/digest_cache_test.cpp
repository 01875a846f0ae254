// The digest cache of installed files: a file read once is not read again while its stamp
// stays, and nothing about the cache can make a changed file pass. A file held with an
// exclusive lock cannot be read for its digest (it counts as changed and is fetched), so a run
// that leaves a locked file alone has taken its digest from the cache.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "tests/support/file_text.h"
#include "tests/update/update_fixture.h"
#include "update/install/digest_cache.h"

namespace update_test {
namespace {

using namespace std::chrono_literals;
using test_support::readFile;
using test_support::writeFile;
using Requests = std::vector<std::string>;

constexpr const char* kCache = "update/.vexo-digests";

// Past the racy margin of file system stamps: a file written before this is settled.
void letStampsSettle() { std::this_thread::sleep_for(50ms); }

void setModified(const std::string& path, const timespec& time) {
    const timespec times[2] = {time, time};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

timespec modifiedOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0);
    return info.st_mtim;
}

class DigestCacheTest : public UpdateFixture {
  protected:
    // Two installed files, listed as they are, read once by a first run that caches them.
    void installAndCache() {
        writeFile("a.txt", "alpha");
        std::filesystem::create_directory("dir");
        writeFile("dir/b.txt", "bravo");
        release({publish("a.txt", "alpha"), publish("dir/b.txt", "bravo")});
        letStampsSettle();
        ASSERT_TRUE(runUpdate());
        ASSERT_TRUE(server_.requests().empty());
        ASSERT_TRUE(exists(kCache));
    }
    // The requests of a run made while every file in `locked` is held exclusively.
    Requests runLocked(const std::vector<std::string>& locked) {
        std::vector<int> fds;
        for (const std::string& name : locked) {
            fds.push_back(::open(name.c_str(), O_RDONLY | O_CLOEXEC));
            EXPECT_EQ(::flock(fds.back(), LOCK_EX), 0);
        }
        mark();
        manager_.recover();
        runUpdate();
        for (const int fd : fds) ::close(fd);
        return requestsSinceMark();
    }
    void mark() { seen_ = server_.requests().size(); }
    Requests requestsSinceMark() const {
        const Requests all = server_.requests();
        return Requests(all.begin() + static_cast<std::ptrdiff_t>(seen_), all.end());
    }

    std::size_t seen_ = 0;
};

TEST_F(DigestCacheTest, UnchangedFilesAreNotReadAgainAndTheProbeWouldSeeARead) {
    installAndCache();
    const std::optional<update::FileStamp> written = update::stampOf(kCache);
    EXPECT_EQ(runLocked({"a.txt", "dir/b.txt"}), Requests{})
        << "both digests came from the cache, which the start's pruning left in place";
    EXPECT_EQ(update::stampOf(kCache), written) << "a cache that learnt nothing is not rewritten";
    ASSERT_EQ(::unlink(kCache), 0);
    EXPECT_EQ(runLocked({"a.txt"}), Requests{"/vexo/files/a.txt"})
        << "without the cache the locked file is read, fails and is fetched";
}

TEST_F(DigestCacheTest, TheCacheKeepsDigestsNotVerdicts) {
    installAndCache();
    release({publish("a.txt", "ALPHA"), publish("dir/b.txt", "bravo")});
    mark();
    EXPECT_TRUE(runUpdate());
    EXPECT_EQ(requestsSinceMark(), Requests{"/vexo/files/a.txt"});
    EXPECT_EQ(installed("a.txt"), "ALPHA");
}

TEST_F(DigestCacheTest, ARewrittenFileIsReadAgainWhateverItsModificationTime) {
    installAndCache();
    const timespec old = modifiedOf("a.txt");
    writeFile("a.txt", "ALPHA");  // same size, same inode, new change time
    setModified("a.txt", old);
    writeFile("dir/b.tmp", "BRAVO");  // a new inode renamed over it, its time restored
    setModified("dir/b.tmp", modifiedOf("dir/b.txt"));
    ASSERT_EQ(::rename("dir/b.tmp", "dir/b.txt"), 0);
    letStampsSettle();
    mark();
    EXPECT_TRUE(runUpdate());
    EXPECT_EQ(requestsSinceMark(), (Requests{"/vexo/files/a.txt", "/vexo/files/dir/b.txt"}));
    EXPECT_EQ(installed("a.txt"), "alpha");
    EXPECT_EQ(installed("dir/b.txt"), "bravo");
}

TEST_F(DigestCacheTest, AnEntryForWhatIsNowALinkOrAFolderIsNotUsed) {
    installAndCache();
    writeFile("elsewhere.txt", "ALPHA");
    ASSERT_EQ(::unlink("a.txt"), 0);
    ASSERT_EQ(::symlink("elsewhere.txt", "a.txt"), 0);
    std::filesystem::remove("dir/b.txt");
    std::filesystem::create_directory("dir/b.txt");
    letStampsSettle();
    mark();
    EXPECT_FALSE(runUpdate()) << "a folder where a file goes is not replaced";
    EXPECT_EQ(requestsSinceMark(), (Requests{"/vexo/files/a.txt", "/vexo/files/dir/b.txt"}));
}

TEST_F(DigestCacheTest, FilesTheInstallVerifiedAreNotReadAtTheNextStart) {
    writeFile("a.txt", "old");
    release({publish("a.txt", "new content"), publish("n/new.txt", "brand new")});
    ASSERT_TRUE(runUpdate());
    const update::DigestCache cache = update::loadDigestCache();
    ASSERT_EQ(cache.files.size(), 2u) << update::digestCacheText(cache);
    EXPECT_EQ(cache.files.at("a.txt").md5, md5Of("new content"));
    EXPECT_EQ(runLocked({"a.txt", "n/new.txt"}), Requests{});
}

// A cache that is not the one this installation wrote, whole and untouched, is ignored.
TEST_F(DigestCacheTest, ACacheThatCannotBeTrustedCostsAFullCheck) {
    installAndCache();
    const std::string good = readFile(kCache);
    const auto refused = [&](const std::string& what) {
        EXPECT_TRUE(update::loadDigestCache().files.empty()) << what;
        EXPECT_EQ(runLocked({"a.txt"}), Requests{"/vexo/files/a.txt"}) << what;
        writeFile(kCache, good);  // a clean copy: written now, so past every stamp
        std::filesystem::remove("update/elsewhere");
    };
    ASSERT_EQ(update::loadDigestCache().files.size(), 2u);

    std::string edited = good;
    edited[edited.find(md5Of("alpha"))] ^= 1;
    writeFile(kCache, edited);
    refused("an edited digest no longer has its sum");
    writeFile(kCache, good.substr(0, good.size() / 2));
    refused("a truncated cache");
    writeFile(kCache, "");
    refused("an empty cache");
    writeFile(kCache, good + "1 2 3 4 5 - - x\n");
    refused("a line after the sum");
    ASSERT_EQ(::truncate(kCache, update::kDigestCacheLimit + 1), 0);
    refused("a cache larger than the limit");
    ASSERT_EQ(::rename(kCache, "update/elsewhere"), 0);
    ASSERT_EQ(::symlink("elsewhere", kCache), 0);
    refused("a link to a good cache");
    ASSERT_EQ(::link(kCache, "update/elsewhere"), 0);
    refused("a cache with a second name");
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(kCache, 65534, 65534), 0);
        refused("another user's cache");
    }
    std::string otherVersion = good;
    otherVersion.replace(0, std::string("vexo-digests 1").size(), "vexo-digests 2");
    writeFile(kCache, otherVersion);
    refused("another format");
}

TEST_F(DigestCacheTest, ACacheOfAnotherInstallationIsIgnored) {
    installAndCache();
    const std::string cache = readFile(kCache);
    std::filesystem::create_directories(root_.file("other/update"));
    std::filesystem::current_path(root_.file("other"));
    writeFile(kCache, cache);
    EXPECT_TRUE(update::loadDigestCache().files.empty());
    std::filesystem::current_path(install());
}

// Entries as recent as the cache's own write could hide a write in the same timestamp tick.
TEST_F(DigestCacheTest, EntriesWithinTheRacyWindowOfTheCacheWriteAreNotTrusted) {
    writeFile("f.txt", "content");
    std::filesystem::create_directory("update");
    const std::optional<update::FileStamp> stamp = update::stampOf("f.txt");
    ASSERT_TRUE(stamp);
    update::DigestCache cache;
    cache.files["f.txt"] = {*stamp, md5Of("content"), {}};
    ASSERT_TRUE(update::saveDigestCache(cache));
    const auto writtenAt = [](std::int64_t ns) {
        setModified(kCache, {static_cast<time_t>(ns / 1'000'000'000), ns % 1'000'000'000});
        return update::loadDigestCache().files.size();
    };
    const std::int64_t latest = std::max(stamp->mtimeNs, stamp->ctimeNs);
    EXPECT_EQ(writtenAt(latest), 0u);
    EXPECT_EQ(writtenAt(latest + 10'000'000), 0u) << "10 ms is within a kernel clock tick";
    EXPECT_EQ(writtenAt(latest + 1'000'000'000), 1u);
}

// An install records its files' stamps right after the move, before they settle; the load
// trusts such an entry only once it has, and a file changed since still has to be read.
TEST_F(DigestCacheTest, UnsettledEntriesAreTrustedOnlyOnceSettled) {
    writeFile("f.txt", "content");
    std::filesystem::create_directory("update");
    const std::optional<update::FileStamp> stamp = update::stampOf("f.txt");
    ASSERT_TRUE(stamp);
    const std::int64_t nowNs = update::wallClockNs();
    update::FileStamp far = *stamp;
    far.mtimeNs = nowNs + 60'000'000'000;
    update::DigestCache cache;
    cache.files["f.txt"] = {*stamp, md5Of("content"), {}, true};
    cache.files["far.txt"] = {far, md5Of("far"), {}, true};
    ASSERT_TRUE(update::saveDigestCache(cache));
    const std::int64_t latest = std::max(stamp->mtimeNs, stamp->ctimeNs);
    setModified(kCache, {static_cast<time_t>(latest / 1'000'000'000), latest % 1'000'000'000});

    const update::DigestCache loaded = update::loadDigestCache();
    EXPECT_TRUE(update::isSettled(*stamp, update::wallClockNs()))
        << "the load waited for the entry about to settle";
    ASSERT_EQ(loaded.files.size(), 1u) << "one that settles only in a minute is left out";
    EXPECT_FALSE(loaded.files.at("f.txt").unsettled);
    EXPECT_EQ(loaded.files.at("f.txt").stamp, *stamp);
}

TEST_F(DigestCacheTest, AnInstalledFileRewrittenAfterItsMoveIsReadAgain) {
    writeFile("a.txt", "old content");
    release({publish("a.txt", "new content")});
    ASSERT_TRUE(runUpdate());
    const std::optional<update::FileStamp> moved = update::stampOf("a.txt");
    ASSERT_TRUE(moved);
    while (!update::isSettled(*moved, update::wallClockNs())) {
        std::this_thread::sleep_for(1ms);
    }
    writeFile("a.txt", "NEW CONTENT");  // the same size, the same inode
    mark();
    EXPECT_TRUE(runUpdate());
    EXPECT_EQ(requestsSinceMark(), Requests{"/vexo/files/a.txt"});
    EXPECT_EQ(installed("a.txt"), "new content");
}

TEST(FileStampTest, SettledOnlyAMarginAfterBothTimes) {
    const update::FileStamp fine{1, 5'000'000'123, 7'000'000'456, 1, 1};
    EXPECT_FALSE(update::isSettled(fine, 7'000'000'456));
    EXPECT_FALSE(update::isSettled(fine, 7'010'000'456));
    EXPECT_TRUE(update::isSettled(fine, 7'100'000'000));
    const update::FileStamp later{1, 9'000'000'001, 7'000'000'456, 1, 1};
    EXPECT_FALSE(update::isSettled(later, 9'010'000'000)) << "the modification time counts too";
    const update::FileStamp coarse{1, 4'000'000'000, 6'000'000'000, 1, 1};
    EXPECT_FALSE(update::isSettled(coarse, 7'500'000'000))
        << "whole seconds suggest a file system of 2 s stamps";
    EXPECT_TRUE(update::isSettled(coarse, 9'500'000'000));
}

TEST(DigestCacheTextTest, ReadsBackWhatItWritesAndLeavesOutWhatCannotBeRead) {
    update::DigestCache cache;
    cache.rootDevice = 7;
    cache.rootInode = 9;
    cache.files["with space/name sum x.txt"] = {{10, 1, 2, 3, 4}, md5Of("a"), std::string(64, 'e')};
    cache.files["md5 only"] = {{0, -5, 6, 7, 8}, md5Of(""), {}};
    update::DigestCache unreadable = cache;
    unreadable.files["upper"] = {{1, 1, 1, 1, 1}, "0123456789ABCDEF0123456789ABCDEF", {}};
    unreadable.files["line\nbreak"] = {{1, 1, 1, 1, 1}, md5Of("b"), {}};
    const std::optional<update::DigestCache> read =
        update::parseDigestCache(update::digestCacheText(unreadable));
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, cache);
}

TEST(DigestCacheTextTest, UnsettledEntriesReadBackAsSuch) {
    update::DigestCache cache;
    cache.files["moved"] = {{1, 2, 3, 4, 5}, md5Of("m"), {}, true};
    cache.files["read"] = {{1, 2, 3, 6, 5}, md5Of("r"), {}, false};
    const std::string text = update::digestCacheText(cache);
    EXPECT_NE(text.find("\nunsettled 1 2 3 4 5 "), std::string::npos) << text;
    EXPECT_EQ(update::parseDigestCache(text), cache);
}

TEST_F(DigestCacheTest, NoManifestFileMayTakeTheCachesName) {
    release({publish(".vexo-digests", "planted")});
    EXPECT_FALSE(runUpdate());
    EXPECT_TRUE(server_.requests().empty());
}

}  // namespace
}  // namespace update_test
