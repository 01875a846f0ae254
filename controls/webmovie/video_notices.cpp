#include "controls/webmovie/video_notices.h"

#include <algorithm>
#include <cctype>

namespace controls::webmovie {
namespace {

constexpr std::size_t kMaxCodecLength = 64;
constexpr std::size_t kMaxUrlLength = 2048;

bool isCodecName(std::string_view codec) {
    return !codec.empty() && codec.size() <= kMaxCodecLength &&
           std::all_of(codec.begin(), codec.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' ||
                      c == '_';
           });
}

bool isPrintableUrl(std::string_view url) {
    return !url.empty() && url.size() <= kMaxUrlLength &&
           std::all_of(url.begin(), url.end(), [](char c) { return c > 0x20 && c < 0x7F; });
}

// Whether `text` is new to `noted`, which then holds it, and there was room for it.
bool noteOnce(std::set<std::string, std::less<>>& noted, std::string_view text) {
    return noted.size() < VideoNotices::kMaxReported && noted.emplace(text).second;
}

}  // namespace

std::string codecFamily(std::string_view codec) {
    struct Family {
        std::string_view prefix, name;
    };
    static constexpr Family kFamilies[] = {
        {"avc1", "H.264 video"}, {"avc3", "H.264 video"},    {"hvc1", "H.265 video"},
        {"hev1", "H.265 video"}, {"vp8", "VP8 video"},       {"vp09", "VP9 video"},
        {"av01", "AV1 video"},   {"mp4a", "AAC audio"},      {"mp3", "MP3 audio"},
        {"opus", "Opus audio"},  {"vorbis", "Vorbis audio"}, {"flac", "FLAC audio"},
    };
    std::string_view head = codec.substr(0, codec.find('.'));
    for (const Family& family : kFamilies) {
        if (head == family.prefix) return std::string(family.name);
    }
    return {};
}

std::optional<std::string> VideoNotices::missingDecoder(std::string_view codec) {
    if (!isCodecName(codec) || !noteOnce(codecs_, codec)) return std::nullopt;
    std::string family = codecFamily(codec);
    std::string what =
        family.empty() ? std::string(codec) : family + " (" + std::string(codec) + ")";
    return "webmovie: this machine has no decoder for " + what;
}

std::optional<std::string> VideoNotices::unreadableVideo(std::string_view url) {
    if (!isPrintableUrl(url) || !noteOnce(videos_, url)) return std::nullopt;
    return "webmovie: cannot stream " + std::string(url) +
           ": not a video the movie can play (FLV, or MP4 with H.264)";
}

}  // namespace controls::webmovie
