#include <algorithm>

extern "C" {
#include <libavformat/avformat.h>
}

#include "controls/webmovie/remux/remux_session.h"

namespace controls::webmovie::remux {
namespace {

constexpr const char* kNoMemory = "the file needs more memory than allowed";

bool isRate(AVRational rate) { return rate.num > 0 && rate.den > 0; }

// The frame rate onMetaData announces. Ruffle starts an H.264 stream's decoder only once it knows
// one, so a stream that names none (variable rate) gets a nominal 25.
AVRational frameRateOf(const AVStream* from) {
    if (isRate(from->avg_frame_rate)) return from->avg_frame_rate;
    if (isRate(from->r_frame_rate)) return from->r_frame_rate;
    return AVRational{25, 1};
}

int addStream(AVFormatContext* muxer, const AVStream* from) {
    AVStream* to = avformat_new_stream(muxer, nullptr);
    if (!to || avcodec_parameters_copy(to->codecpar, from->codecpar) < 0) return -1;
    // The MP4 sample entry's tag means nothing in FLV; the muxer picks its own.
    to->codecpar->codec_tag = 0;
    to->time_base = from->time_base;
    if (from->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) to->avg_frame_rate = frameRateOf(from);
    return to->index;
}

// The length onMetaData announces: the input's, or its longest chosen stream's.
int64_t durationOf(const RemuxSession& session) {
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

std::string openMuxer(RemuxSession& session) {
    session.outputIo = openFlvIo(*session.sink);
    avformat_alloc_output_context2(&session.muxer, nullptr, "flv", nullptr);
    if (!session.outputIo || !session.muxer) return kNoMemory;
    AVFormatContext* muxer = session.muxer;
    muxer->pb = session.outputIo;
    muxer->flags |= AVFMT_FLAG_CUSTOM_IO;
    // Not after every packet, which the muxer does for an output that cannot seek: the tags leave
    // when the buffer fills or the input has to wait.
    muxer->flush_packets = 0;
    int slot = 0;
    for (int index : {session.choice.video, session.choice.audio}) {
        if (index >= 0) {
            session.outputIndex[slot] = addStream(muxer, session.demuxer->streams[index]);
            if (session.outputIndex[slot] < 0) return kNoMemory;
        }
        ++slot;
    }
    muxer->duration = durationOf(session);
    int err = avformat_write_header(muxer, nullptr);
    if (err < 0) return failureReason(session, err, "the streams cannot be written as FLV");
    avio_flush(muxer->pb);
    return failureReason(session, 0, "");
}

}  // namespace controls::webmovie::remux
