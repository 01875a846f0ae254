// Which bytes the demuxer may still read, from the index of the chosen streams and the packets
// delivered so far. Too high a mark would lose bytes still wanted; too low only costs spool.
#include "controls/webmovie/remux/unread_samples.h"

#include <gtest/gtest.h>

#include <initializer_list>

extern "C" {
#include <libavformat/avformat.h>
}

namespace controls::webmovie::remux {
namespace {

class RemuxUnreadSamples : public ::testing::Test {
  protected:
    void SetUp() override {
        demuxer_ = avformat_alloc_context();
        ASSERT_NE(demuxer_, nullptr);
        for (int i = 0; i < 3; ++i) ASSERT_NE(avformat_new_stream(demuxer_, nullptr), nullptr);
    }
    void TearDown() override { avformat_free_context(demuxer_); }
    // Samples of stream at the given positions, after those it has, one per timestamp in order.
    void index(int stream, std::initializer_list<int64_t> positions) {
        for (int64_t pos : positions) {
            ASSERT_GE(
                av_add_index_entry(demuxer_->streams[stream], pos, nextTs_[stream]++, 100, 0, 0),
                0);
        }
    }

    AVFormatContext* demuxer_ = nullptr;
    UnreadSamples unread_;
    int64_t nextTs_[3] = {};
};

// Video is stream 0 and audio stream 2; stream 1, not chosen, is skipped by the demuxer.
constexpr StreamChoice kChoice{0, 2};

TEST_F(RemuxUnreadSamples, LowestIsTheLowestSampleNotYetDelivered) {
    index(0, {1000, 5000, 3000, 9000});
    index(1, {10});
    index(2, {2000, 7000});
    startUnread(unread_, demuxer_, kChoice);
    EXPECT_EQ(lowestUnread(unread_), 1000);
    markRead(unread_, demuxer_, 0, 1000);
    EXPECT_EQ(lowestUnread(unread_), 2000);
    markRead(unread_, demuxer_, 1, 2000);
    // Later samples may lie before earlier ones: 3000 is still to come.
    markRead(unread_, demuxer_, 0, 5000);
    EXPECT_EQ(lowestUnread(unread_), 3000);
    markRead(unread_, demuxer_, 0, 3000);
    EXPECT_EQ(lowestUnread(unread_), 7000);
    markRead(unread_, demuxer_, 1, 7000);
    EXPECT_EQ(lowestUnread(unread_), 9000);
    markRead(unread_, demuxer_, 0, 9000);
    EXPECT_EQ(lowestUnread(unread_), -1);
}

// A packet that matches no sample ahead (a parser's, or one without a position) leaves the mark
// where it was rather than guessing.
TEST_F(RemuxUnreadSamples, UnknownPositionsLeaveTheMark) {
    index(0, {1000, 2000});
    index(2, {1500});
    startUnread(unread_, demuxer_, kChoice);
    markRead(unread_, demuxer_, 0, -1);
    markRead(unread_, demuxer_, 0, 1234);
    markRead(unread_, demuxer_, 1, 1000);  // the audio has no sample there
    EXPECT_EQ(lowestUnread(unread_), 1000);
}

// A fragmented file's index grows while it is read; the new samples count at once.
TEST_F(RemuxUnreadSamples, SamplesIndexedLaterCount) {
    index(0, {1000});
    index(2, {1500});
    startUnread(unread_, demuxer_, kChoice);
    markRead(unread_, demuxer_, 0, 1000);
    index(2, {1200});
    markRead(unread_, demuxer_, 1, 1500);
    EXPECT_EQ(lowestUnread(unread_), 1200);
}

TEST_F(RemuxUnreadSamples, AFileWithoutAudio) {
    index(0, {500, 600});
    startUnread(unread_, demuxer_, StreamChoice{0, -1});
    markRead(unread_, demuxer_, 0, 500);
    EXPECT_EQ(lowestUnread(unread_), 600);
}

}  // namespace
}  // namespace controls::webmovie::remux
