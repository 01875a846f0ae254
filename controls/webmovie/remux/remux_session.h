#pragma once

#include <string>

#include "controls/webmovie/remux/flv_output.h"
#include "controls/webmovie/remux/input_io.h"
#include "controls/webmovie/remux/retime.h"
#include "controls/webmovie/remux/stream_choice.h"

struct AVFormatContext;
struct AVIOContext;

// Everything one remux holds, released by close_session.
struct RemuxSession {
    SpoolInput* input = nullptr;
    FlvSink* sink = nullptr;
    InputReader reader;
    AVIOContext* input_io = nullptr;
    AVFormatContext* demuxer = nullptr;
    StreamChoice choice;
    AVIOContext* output_io = nullptr;
    AVFormatContext* muxer = nullptr;
    int output_index[2] = {-1, -1};  // the FLV stream of the video and the audio
    Retimer retimer;
};

// Opens the input as MP4, F4V or MOV and chooses its streams; "" or the reason it cannot.
std::string open_demuxer(RemuxSession& session);
// Opens the FLV output of the chosen streams and writes its header; "" or the reason.
std::string open_muxer(RemuxSession& session);
void close_session(RemuxSession& session);

// Why a libav call that returned err failed: the input's or output's own trouble when there
// was one, else `otherwise`.
std::string failure_reason(const RemuxSession& session, int err, const std::string& otherwise);
