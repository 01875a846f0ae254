#pragma once

#include <cstdint>
#include <vector>

#include "controls/webmovie/remux/stream_choice.h"

struct AVFormatContext;

namespace controls::webmovie::remux {

// Where the samples the demuxer has yet to read lie. It reads a stream's samples in the order of
// its index and skips the streams it was told to, so once the header is read, the bytes below the
// lowest unread sample of the chosen streams are never read again.
struct UnreadSamples {
    struct Track {
        int stream = -1;
        int next = 0;                    // the first index entry not known to be read
        std::vector<int64_t> lowestPos;  // of the entries from each one to the last
    };
    Track tracks[2];  // the video and the audio
};

void startUnread(UnreadSamples& unread, const AVFormatContext* demuxer, const StreamChoice& choice);

// The demuxer delivered a packet read at pos from the stream of slot (0 video, 1 audio).
void markRead(UnreadSamples& unread, const AVFormatContext* demuxer, int slot, int64_t pos);

// The lowest position an unread sample starts at, or -1 when every sample indexed so far was read.
int64_t lowestUnread(const UnreadSamples& unread);

}  // namespace controls::webmovie::remux
