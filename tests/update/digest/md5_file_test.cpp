#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/os/file_exception.h"
#include "tests/support/headless_fixture.h"
#include "tests/update/digest/md5_text.h"
#include "update/digest/md5.h"

using test_support::TempDir;
using test_support::writeFile;

namespace {

using md5_test::md5Of;

// The errno of the exception md5OfFile throws for `path`, or 0 when it returns a digest.
int failureOf(const std::string& path) {
    try {
        md5OfFile(path);
    } catch (const platform::FileException& error) {
        EXPECT_EQ(error.path(), path);
        return error.error();
    }
    return 0;
}

TEST(Md5OfFile, DigestsEmptyOneBlockAndRfcFiles) {
    TempDir dir;
    writeFile(dir.file("empty"), "");
    writeFile(dir.file("block"), std::string(1024, 'a'));
    writeFile(dir.file("rfc"), "message digest");
    EXPECT_EQ(md5OfFile(dir.file("empty")), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(md5OfFile(dir.file("block")), "c9a34cfc85d982698c6ac89f76071abd");
    EXPECT_EQ(md5OfFile(dir.file("rfc")), "f96b697d7cb7938d525a2f31aaf161d0");
}

// Longer than the stream's own buffer and not a multiple of the read size, with every byte
// value, so no block is dropped, repeated or cut where the buffer refills.
TEST(Md5OfFile, ALargeFileDigestsLikeItsContent) {
    TempDir dir;
    std::string content;
    for (std::size_t i = 0; i < (1 << 20) * 3 / 2 + 5; ++i) content += char(i * 31 + (i >> 11));
    writeFile(dir.file("large"), content);
    EXPECT_EQ(md5OfFile(dir.file("large")), md5Of(content));
}

TEST(Md5OfFile, FilesThatCannotBeReadThrowAndGiveNoDigest) {
    TempDir dir;
    EXPECT_EQ(failureOf(dir.file("missing")), ENOENT);
    EXPECT_EQ(failureOf(dir.path()), EISDIR) << "a directory opens but cannot be read";
    writeFile(dir.file("busy"), "being written");
    const int writer = open(dir.file("busy").c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_EQ(flock(writer, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(failureOf(dir.file("busy")), EWOULDBLOCK) << "locked by a writer";
    close(writer);
    EXPECT_EQ(md5OfFile(dir.file("busy")), md5Of("being written")) << "readable once released";
}

}  // namespace
