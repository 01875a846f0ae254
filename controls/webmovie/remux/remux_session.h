#pragma once

#include <string>

#include "controls/webmovie/remux/flv_output.h"
#include "controls/webmovie/remux/input_io.h"
#include "controls/webmovie/remux/retime.h"
#include "controls/webmovie/remux/stream_choice.h"
#include "controls/webmovie/remux/unread_samples.h"

struct AVFormatContext;
struct AVIOContext;

namespace controls::webmovie::remux {

// Everything one remux holds, released by closeSession.
struct RemuxSession {
    SpoolInput* input = nullptr;
    FlvSink* sink = nullptr;
    InputReader reader;
    AVIOContext* inputIo = nullptr;
    AVFormatContext* demuxer = nullptr;
    StreamChoice choice;
    AVIOContext* outputIo = nullptr;
    AVFormatContext* muxer = nullptr;
    int outputIndex[2] = {-1, -1};  // the FLV stream of the video and the audio
    Retimer retimer;
    UnreadSamples unread;
};

// Opens the input as MP4, F4V or MOV and chooses its streams; "" or the reason it cannot.
std::string openDemuxer(RemuxSession& session);
// Opens the FLV output of the chosen streams and writes its header; "" or the reason.
std::string openMuxer(RemuxSession& session);
void closeSession(RemuxSession& session);

// Why a libav call that returned err failed: the input's or output's own trouble when there
// was one, else `otherwise`.
std::string failureReason(const RemuxSession& session, int err, const std::string& otherwise);

}  // namespace controls::webmovie::remux
