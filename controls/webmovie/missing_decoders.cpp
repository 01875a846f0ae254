#include "controls/webmovie/missing_decoders.h"

#include <algorithm>
#include <cctype>

namespace controls::webmovie {
namespace {

constexpr std::size_t kMaxCodecLength = 64;

bool isCodecName(std::string_view codec) {
    return !codec.empty() && codec.size() <= kMaxCodecLength &&
           std::all_of(codec.begin(), codec.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' ||
                      c == '_';
           });
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

std::optional<std::string> MissingDecoders::note(std::string_view codec) {
    if (!isCodecName(codec) || reported_.size() >= kMaxReported) return std::nullopt;
    if (!reported_.emplace(codec).second) return std::nullopt;
    std::string family = codecFamily(codec);
    std::string what =
        family.empty() ? std::string(codec) : family + " (" + std::string(codec) + ")";
    return "webmovie: this machine has no decoder for " + what;
}

}  // namespace controls::webmovie
