#include "update/digest/md5.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/update/digest/md5_text.h"

namespace {

using md5_test::md5Of;

TEST(Md5, RfcTestSuiteDigestsComeOutInLowerCase) {
    const std::vector<std::pair<std::string, std::string>> suite = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890123456789012345678901234567890"
         "1234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [message, expected] : suite) EXPECT_EQ(md5Of(message), expected) << message;
}

// Lengths around the padding boundaries: 55 bytes still take the length in the same block,
// 56 to 63 need a second one, 64 and 65 fill a block exactly and just past it.
TEST(Md5, PaddingIsRightAtEveryBlockBoundary) {
    const std::vector<std::pair<std::size_t, std::string>> runsOfA = {
        {55, "ef1772b6dff9a122358552954ad0df65"},  {56, "3b0c8ac703f828b04c6c197006d17218"},
        {57, "652b906d60af96844ebd21b674f35e93"},  {63, "b06521f39153d618550606be297466d5"},
        {64, "014842d480b571495a4a0363793f7367"},  {65, "c743a45e0d2e6a95cb859adae0248435"},
        {128, "e510683b3f5ffe4093d021808bc6ff70"}, {1024, "c9a34cfc85d982698c6ac89f76071abd"},
    };
    for (const auto& [length, expected] : runsOfA) {
        EXPECT_EQ(md5Of(std::string(length, 'a')), expected) << length << " bytes";
    }
}

TEST(Md5, HowTheMessageIsSplitDoesNotChangeTheDigest) {
    std::string message;
    for (int i = 0; i < 1000; ++i) message += static_cast<char>(i * 7 + i / 13);
    const std::string whole = md5Of(message);
    for (std::size_t piece : {1, 3, 55, 63, 64, 65, 127, 200}) {
        Md5 digest;
        for (std::size_t at = 0; at < message.size(); at += piece) {
            digest.addData(message.data() + at, std::min(piece, message.size() - at));
        }
        EXPECT_EQ(digest.hexDigest(), whole) << "pieces of " << piece;
    }
}

}  // namespace
