#include <cstring>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include "controls/webmovie/remux/remux_session.h"

namespace controls::webmovie::remux {
namespace {

// Enough for the mov probe, which knows a file by its first boxes.
constexpr int kProbeBytes = 64 * 1024;

std::string probeMp4(RemuxSession& session, const AVInputFormat** format) {
    int err = av_probe_input_buffer2(session.inputIo, format, "", nullptr, 0, kProbeBytes);
    if (err < 0) return failureReason(session, err, "not a video file");
    if (*format != av_find_input_format("mov")) return "not an MP4, F4V or MOV file";
    return "";
}

AVDictionary* demuxerOptions() {
    AVDictionary* options = nullptr;
    // Chapter text sits among the samples; reading it first would wait for the whole file.
    av_dict_set(&options, "ignore_chapters", "1", 0);
    return options;
}

// Sample tables that list samples the demuxer could not index (one claiming far more samples
// than the others, which the demuxer gives up on) would leave a stream silently empty.
std::string checkIndex(const RemuxSession& session) {
    for (int index : {session.choice.video, session.choice.audio}) {
        if (index < 0) continue;
        AVStream* st = session.demuxer->streams[index];
        if (st->nb_frames > 0 && avformat_index_get_entries_count(st) == 0) {
            return "the file is damaged";
        }
    }
    return "";
}

}  // namespace

std::string openDemuxer(RemuxSession& session) {
    session.reader.input = session.input;
    session.inputIo = openInputIo(session.reader);
    session.demuxer = avformat_alloc_context();
    if (!session.inputIo || !session.demuxer) return "the file needs more memory than allowed";
    const AVInputFormat* format = nullptr;
    if (std::string problem = probeMp4(session, &format); !problem.empty()) return problem;
    AVFormatContext* demuxer = session.demuxer;
    demuxer->pb = session.inputIo;
    demuxer->probesize = kProbeBytes;
    // With the index ignored the demuxer stops reading boxes at the samples, where it would
    // otherwise look for more boxes after them and wait for the whole file first. The sample
    // tables are still read. Nor does it learn the size while it reads the header: it would
    // cut a box that claims more than the file holds to the file, and take a file that ends
    // short of its own boxes for a whole one, whether it is a regular file or has all arrived
    // early through a pipe.
    demuxer->flags |= AVFMT_FLAG_CUSTOM_IO | AVFMT_FLAG_IGNIDX;
    demuxer->format_whitelist = av_strdup("mov");
    AVDictionary* options = demuxerOptions();
    int err = avformat_open_input(&session.demuxer, nullptr, format, &options);
    av_dict_free(&options);
    session.reader.sizeShown = true;
    if (err < 0) return failureReason(session, err, "the file is damaged");
    std::string problem = chooseStreams(session.demuxer, session.choice);
    return problem.empty() ? checkIndex(session) : problem;
}

}  // namespace controls::webmovie::remux
