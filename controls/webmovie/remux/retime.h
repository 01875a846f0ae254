#pragma once

#include <cstdint>

extern "C" {
#include <libavutil/avutil.h>
}

struct AVFormatContext;
struct AVPacket;

namespace controls::webmovie::remux {

struct StreamChoice;

// Timestamps on their way into the FLV: shifted so the first decoded packet is at zero, and
// never going back within a stream, which FLV cannot carry.
struct Retimer {
    int64_t start = AV_NOPTS_VALUE;  // in the output time base
    int64_t lastDts[2] = {INT64_MIN, INT64_MIN};
};

// The earliest decoding time the index of the chosen streams lists, in time base `to`, or
// AV_NOPTS_VALUE when the index holds none yet (a fragmented file).
int64_t indexedStart(const AVFormatContext* input, const StreamChoice& choice, AVRational to);

// Rescales pkt from `from` to `to` and shifts it; slot 0 is the video stream, 1 the audio. The
// composition offset (pts - dts) of each packet is kept.
void retime(Retimer& retimer, AVPacket& pkt, int slot, AVRational from, AVRational to);

}  // namespace controls::webmovie::remux
