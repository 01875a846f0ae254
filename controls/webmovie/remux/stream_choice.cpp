#include "controls/webmovie/remux/stream_choice.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace controls::webmovie::remux {
namespace {

// What Flash plays from FLV: H.264 video, AAC or MP3 audio, MP3 only at its few rates.
std::string videoProblem(const AVCodecParameters& par) {
    if (par.codec_id == AV_CODEC_ID_H264) return "";
    return "the video codec " + std::string(avcodec_get_name(par.codec_id)) +
           " cannot be streamed as FLV";
}

std::string audioProblem(const AVCodecParameters& par) {
    if (par.codec_id == AV_CODEC_ID_AAC) return "";
    if (par.codec_id != AV_CODEC_ID_MP3) {
        return "the audio codec " + std::string(avcodec_get_name(par.codec_id)) +
               " cannot be streamed as FLV";
    }
    switch (par.sample_rate) {
        case 44100:
        case 22050:
        case 11025:
        case 8000:
            return "";
        default:
            return "MP3 audio at " + std::to_string(par.sample_rate) +
                   " Hz cannot be streamed as FLV";
    }
}

int bestStream(AVFormatContext* input, AVMediaType type) {
    int index = av_find_best_stream(input, type, -1, -1, nullptr, 0);
    return index >= 0 ? index : -1;
}

}  // namespace

std::string chooseStreams(AVFormatContext* input, StreamChoice& choice) {
    choice.video = bestStream(input, AVMEDIA_TYPE_VIDEO);
    choice.audio = bestStream(input, AVMEDIA_TYPE_AUDIO);
    if (choice.video < 0 && choice.audio < 0) return "the file has no video or audio";
    if (choice.video >= 0) {
        std::string problem = videoProblem(*input->streams[choice.video]->codecpar);
        if (!problem.empty()) return problem;
    }
    if (choice.audio >= 0) {
        std::string problem = audioProblem(*input->streams[choice.audio]->codecpar);
        if (!problem.empty()) return problem;
    }
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        if (static_cast<int>(i) != choice.video && static_cast<int>(i) != choice.audio) {
            input->streams[i]->discard = AVDISCARD_ALL;
        }
    }
    return "";
}

}  // namespace controls::webmovie::remux
