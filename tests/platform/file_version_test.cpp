#include "platform/os/file_version.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/headless_fixture.h"
#include "tests/support/version_block.h"

namespace {

using platform::readFixedFileInfo;
using test_support::TempDir;
using test_support::versionBlock;
using test_support::writeFile;

constexpr std::size_t kPiece = 64 * 1024;  // the reader's piece size, as its header states

std::uint32_t versionMs(const std::optional<platform::FixedFileInfo>& info) {
    return info ? info->fileVersionMs : 0xDEADBEEF;
}

// Writes `size` bytes of zeros, sparse where possible, with `block` at `offset`.
void writeWithBlockAt(const std::string& path, std::size_t size, std::size_t offset,
                      const std::string& block) {
    { std::ofstream(path, std::ios::binary).put('\x7F'); }
    std::filesystem::resize_file(path, size);
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(block.data(), static_cast<std::streamsize>(block.size()));
}

TEST(FileVersion, TheBlockIsReadWordByWordLittleEndian) {
    TempDir dir;
    writeFile(dir.file("module.so"), std::string(8, 'x') + test_support::numberedVersionBlock(100));
    const auto info = readFixedFileInfo(dir.file("module.so"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->signature, 0xFEEF04BDu);
    EXPECT_EQ(info->structVersion, 0x00010000u);
    EXPECT_EQ(info->fileVersionMs, 102u);
    EXPECT_EQ(info->fileVersionLs, 103u);
    EXPECT_EQ(info->productVersionMs, 104u);
    EXPECT_EQ(info->productVersionLs, 105u);
    EXPECT_EQ(info->fileFlagsMask, 106u);
    EXPECT_EQ(info->fileFlags, 107u);
    EXPECT_EQ(info->fileOs, 108u);
    EXPECT_EQ(info->fileType, 109u);
    EXPECT_EQ(info->fileSubtype, 110u);
    EXPECT_EQ(info->fileDateMs, 111u);
    EXPECT_EQ(info->fileDateLs, 112u);
}

TEST(FileVersion, OnlyTheFirstWholeBlockAtAFourByteBoundaryCounts) {
    TempDir dir;
    const std::string unaligned = "ab" + versionBlock(1, 0) + "cd";
    // The signature alone, as code that compares with it holds it, is no block.
    const std::string signatureAlone = test_support::dwordBytes(0xFEEF04BD);
    writeFile(dir.file("unaligned"), unaligned);
    EXPECT_FALSE(readFixedFileInfo(dir.file("unaligned")));

    writeFile(dir.file("both"),
              unaligned + signatureAlone + versionBlock(2, 5) + versionBlock(3, 0));
    EXPECT_EQ(versionMs(readFixedFileInfo(dir.file("both"))), 2u << 16 | 5u);
}

TEST(FileVersion, ABlockIsFoundWhereverItLiesAcrossTheReadPieces) {
    TempDir dir;
    const std::size_t blockSize = platform::kFixedFileInfoSize;
    for (const std::size_t offset : {std::size_t{0}, kPiece - blockSize, kPiece - 48, kPiece - 4,
                                     kPiece, kPiece + 4, 2 * kPiece - 28, 5 * kPiece + 12}) {
        SCOPED_TRACE(offset);
        const std::string path = dir.file("module" + std::to_string(offset));
        writeWithBlockAt(path, offset + blockSize + 100, offset, versionBlock(11, 1, 102, 55));
        EXPECT_EQ(versionMs(readFixedFileInfo(path)), 11u << 16 | 1u);
    }
    const std::string atTheEnd = dir.file("at-the-end");
    writeWithBlockAt(atTheEnd, 64 * 1024 * 1024, 64 * 1024 * 1024 - blockSize, versionBlock(9, 4));
    EXPECT_EQ(versionMs(readFixedFileInfo(atTheEnd)), 9u << 16 | 4u);
}

TEST(FileVersion, ABlockCutShortByTheEndOfTheFileIsNoBlock) {
    TempDir dir;
    const std::string cut = versionBlock(11, 0).substr(0, platform::kFixedFileInfoSize - 4);
    writeFile(dir.file("cut"), std::string(kPiece - 8, '\0') + cut);
    EXPECT_FALSE(readFixedFileInfo(dir.file("cut")));
    writeFile(dir.file("plain"), std::string(3 * kPiece + 5, 'v'));
    EXPECT_FALSE(readFixedFileInfo(dir.file("plain")));
    writeFile(dir.file("empty"), "");
    EXPECT_FALSE(readFixedFileInfo(dir.file("empty")));
    EXPECT_FALSE(readFixedFileInfo(dir.file("missing")));
}

// A FIFO without a writer and an endless device would each hang a reader that opened and read
// them like a file.
TEST(FileVersion, OnlyRegularFilesAreReadAndNothingElseBlocks) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(readFixedFileInfo(dir.file("fifo")));
    EXPECT_FALSE(readFixedFileInfo("/dev/zero"));
    std::filesystem::create_directory(dir.file("folder"));
    EXPECT_FALSE(readFixedFileInfo(dir.file("folder")));

    writeFile(dir.file("module.so"), versionBlock(7, 3));
    std::filesystem::create_symlink(dir.file("module.so"), dir.file("link.so"));
    EXPECT_EQ(versionMs(readFixedFileInfo(dir.file("link.so"))), 7u << 16 | 3u);
}

}  // namespace
