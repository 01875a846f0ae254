#include <algorithm>

extern "C" {
#include <libavformat/avformat.h>
}

#include "controls/webmovie/remux/remux_session.h"

namespace {

constexpr const char* kNoMemory = "the file needs more memory than allowed";

int add_stream(AVFormatContext* muxer, const AVStream* from) {
    AVStream* to = avformat_new_stream(muxer, nullptr);
    if (!to || avcodec_parameters_copy(to->codecpar, from->codecpar) < 0) return -1;
    // The MP4 sample entry's tag means nothing in FLV; the muxer picks its own.
    to->codecpar->codec_tag = 0;
    to->time_base = from->time_base;
    return to->index;
}

// The length onMetaData announces: the input's, or its longest chosen stream's.
int64_t duration_of(const RemuxSession& session) {
    const AVFormatContext* input = session.demuxer;
    if (input->duration > 0) return input->duration;
    int64_t longest = 0;
    for (int index : {session.choice.video, session.choice.audio}) {
        if (index < 0 || input->streams[index]->duration <= 0) continue;
        const AVStream* st = input->streams[index];
        longest = std::max(longest, av_rescale_q(st->duration, st->time_base, AV_TIME_BASE_Q));
    }
    return longest;
}

}  // namespace

std::string open_muxer(RemuxSession& session) {
    session.output_io = open_flv_io(*session.sink);
    avformat_alloc_output_context2(&session.muxer, nullptr, "flv", nullptr);
    if (!session.output_io || !session.muxer) return kNoMemory;
    AVFormatContext* muxer = session.muxer;
    muxer->pb = session.output_io;
    muxer->flags |= AVFMT_FLAG_CUSTOM_IO;
    int slot = 0;
    for (int index : {session.choice.video, session.choice.audio}) {
        if (index >= 0) {
            session.output_index[slot] = add_stream(muxer, session.demuxer->streams[index]);
            if (session.output_index[slot] < 0) return kNoMemory;
        }
        ++slot;
    }
    muxer->duration = duration_of(session);
    int err = avformat_write_header(muxer, nullptr);
    if (err < 0) return failure_reason(session, err, "the streams cannot be written as FLV");
    avio_flush(muxer->pb);
    return failure_reason(session, 0, "");
}
