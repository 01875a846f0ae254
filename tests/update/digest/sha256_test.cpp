#include <gtest/gtest.h>

#include <string>

#include "platform/os/file_exception.h"
#include "tests/support/headless_fixture.h"
#include "update/digest/file_digests.h"
#include "update/digest/md5.h"
#include "update/digest/sha256.h"

using test_support::TempDir;
using test_support::writeFile;

namespace {

TEST(Sha256, GivesTheStandardDigestsInPieces) {
    EXPECT_EQ(sha256Of(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256Of("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    Sha256 pieces;
    for (char c : twoBlocks) pieces.addData(&c, 1);
    EXPECT_EQ(pieces.hexDigest(),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

// Larger than the read size and the stream's buffer, and not a multiple of either: one read
// must feed both digests every byte once.
TEST(DigestFile, TakesBothDigestsInOneReadOrTheMd5Alone) {
    TempDir dir;
    std::string content;
    for (std::size_t i = 0; i < (1 << 20) + 1500; ++i) content += char(i * 7 + (i >> 13));
    writeFile(dir.file("large"), content);
    Md5 md5;
    md5.addData(content.data(), content.size());
    const std::string expectedMd5 = md5.hexDigest();

    const FileDigests both = digestFile(dir.file("large"), true);
    EXPECT_EQ(both.md5, expectedMd5);
    EXPECT_EQ(both.sha256, sha256Of(content));
    EXPECT_EQ(sha256OfFile(dir.file("large")), sha256Of(content));
    const FileDigests md5Only = digestFile(dir.file("large"), false);
    EXPECT_EQ(md5Only.md5, expectedMd5);
    EXPECT_TRUE(md5Only.sha256.empty());
    EXPECT_THROW(digestFile(dir.file("missing"), true), platform::FileException);
    EXPECT_THROW(sha256OfFile(dir.path()), platform::FileException);
}

}  // namespace
