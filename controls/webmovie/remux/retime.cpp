#include "controls/webmovie/remux/retime.h"

#include <algorithm>

extern "C" {
#include <libavcodec/packet.h>
#include <libavformat/avformat.h>
}

#include "controls/webmovie/remux/stream_choice.h"

namespace controls::webmovie::remux {
namespace {

int64_t rescale(int64_t ts, AVRational from, AVRational to) {
    return av_rescale_q_rnd(ts, from, to,
                            static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
}

int64_t firstIndexed(const AVFormatContext* input, int index, AVRational to) {
    if (index < 0) return AV_NOPTS_VALUE;
    AVStream* st = input->streams[index];
    const AVIndexEntry* entry = avformat_index_get_entry(st, 0);
    return entry ? rescale(entry->timestamp, st->time_base, to) : AV_NOPTS_VALUE;
}

}  // namespace

int64_t indexedStart(const AVFormatContext* input, const StreamChoice& choice, AVRational to) {
    int64_t video = firstIndexed(input, choice.video, to);
    int64_t audio = firstIndexed(input, choice.audio, to);
    if (video == AV_NOPTS_VALUE) return audio;
    if (audio == AV_NOPTS_VALUE) return video;
    return std::min(video, audio);
}

void retime(Retimer& retimer, AVPacket& pkt, int slot, AVRational from, AVRational to) {
    int64_t dts = pkt.dts != AV_NOPTS_VALUE ? pkt.dts : pkt.pts;
    int64_t pts = pkt.pts != AV_NOPTS_VALUE ? pkt.pts : dts;
    int64_t offset = 0;
    if (dts == AV_NOPTS_VALUE) {
        dts = std::max<int64_t>(retimer.lastDts[slot], 0);
    } else {
        offset = std::max<int64_t>(rescale(pts, from, to) - rescale(dts, from, to), 0);
        dts = rescale(dts, from, to);
        if (retimer.start == AV_NOPTS_VALUE) retimer.start = dts;
        dts = std::max({dts - retimer.start, int64_t{0}, retimer.lastDts[slot]});
    }
    retimer.lastDts[slot] = dts;
    pkt.dts = dts;
    pkt.pts = dts + offset;
    pkt.duration = rescale(pkt.duration, from, to);
    pkt.pos = -1;
}

}  // namespace controls::webmovie::remux
