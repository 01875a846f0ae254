// The console lines about videos a movie cannot play come once each, and only for texts that
// can be printed as they are.
#include "controls/webmovie/video_notices.h"

#include <gtest/gtest.h>

namespace controls::webmovie {
namespace {

TEST(VideoNotices, AMissingDecoderIsNamedOnceWithItsFamily) {
    VideoNotices notices;
    EXPECT_EQ(notices.missingDecoder("avc1.64001e"),
              "webmovie: this machine has no decoder for H.264 video (avc1.64001e)");
    EXPECT_EQ(notices.missingDecoder("avc1.64001e"), std::nullopt);
    EXPECT_EQ(notices.missingDecoder("mp4a.40.2"),
              "webmovie: this machine has no decoder for AAC audio (mp4a.40.2)");
    EXPECT_EQ(notices.missingDecoder("xyz1"), "webmovie: this machine has no decoder for xyz1");
}

TEST(VideoNotices, TextsThatAreNoNamesOrTooManyGiveNoLine) {
    VideoNotices notices;
    EXPECT_EQ(notices.missingDecoder(""), std::nullopt);
    EXPECT_EQ(notices.missingDecoder("avc1\x1b[2J"), std::nullopt);
    EXPECT_EQ(notices.missingDecoder(std::string(65, 'a')), std::nullopt);
    EXPECT_EQ(notices.unreadableVideo("http://h/a b.webm"), std::nullopt);
    EXPECT_EQ(notices.unreadableVideo("http://h/" + std::string(2048, 'a')), std::nullopt);
    for (std::size_t i = 0; i < VideoNotices::kMaxReported; ++i) {
        EXPECT_TRUE(notices.unreadableVideo("http://h/" + std::to_string(i) + ".webm"));
    }
    EXPECT_EQ(notices.unreadableVideo("http://h/more.webm"), std::nullopt);
    EXPECT_TRUE(notices.missingDecoder("vp09.00.10.08")) << "codecs are counted on their own";
}

}  // namespace
}  // namespace controls::webmovie
