// The library's version block, read the way a Windows-style version reader finds it: by
// scanning the file for the VS_FIXEDFILEINFO signature.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::uint32_t dwordAt(const std::string& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

TEST(WebMovieVersionBlock, ScanningTheLibraryFindsVersion11_1_102_55) {
    std::ifstream in(WEBMOVIE_MODULE, std::ios::binary);
    ASSERT_TRUE(in) << WEBMOVIE_MODULE;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t at = 0;
    while (at + 52 <= bytes.size() &&
           (dwordAt(bytes, at) != 0xFEEF04BD || dwordAt(bytes, at + 4) != 0x00010000))
        at += 4;
    ASSERT_LE(at + 52, bytes.size()) << "no signature at a DWORD boundary";
    EXPECT_EQ(dwordAt(bytes, at + 4), 0x00010000u) << "struct version";
    EXPECT_EQ(dwordAt(bytes, at + 8), (11u << 16) | 1u) << "file version MS";
    EXPECT_EQ(dwordAt(bytes, at + 12), (102u << 16) | 55u) << "file version LS";
    EXPECT_EQ(dwordAt(bytes, at + 16), (11u << 16) | 1u) << "product version MS";
    EXPECT_EQ(dwordAt(bytes, at + 20), (102u << 16) | 55u) << "product version LS";
    EXPECT_EQ(dwordAt(bytes, at + 36), 2u) << "VFT_DLL";
}

}  // namespace
