// The console lines about videos a movie cannot play: a codec it asked a decoder for that this
// machine cannot decode, and a video Ruffle would have shown in a box of its own because it
// cannot read it. Without them, such a video shows only a black picture. The texts come from
// the movie's page, so they are checked and their lines bounded.
#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace controls::webmovie {

class VideoNotices {
  public:
    // The most codecs, and the most videos, one movie view reports; a page that makes up names
    // gets no more.
    static constexpr std::size_t kMaxReported = 16;

    // The line for `codec` (a WebCodecs codec string such as "avc1.42E01E") the first time it
    // is noted, else nothing; nothing either for a string that is no codec name (empty, longer
    // than 64 characters, or with characters other than letters, digits, '.', '-' and '_').
    std::optional<std::string> missingDecoder(std::string_view codec);

    // The line for the video at `url` the first time it is noted, else nothing; nothing for a
    // URL longer than 2048 characters or with characters outside printable ASCII.
    std::optional<std::string> unreadableVideo(std::string_view url);

  private:
    std::set<std::string, std::less<>> codecs_, videos_;
};

// "H.264 video" for "avc1.42E01E", "AAC audio" for "mp4a.40.2"...; "" for a codec not known.
std::string codecFamily(std::string_view codec);

}  // namespace controls::webmovie
