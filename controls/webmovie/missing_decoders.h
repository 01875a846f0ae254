// The console lines for codecs a movie asked a decoder for that this machine cannot decode:
// without them, a video the machine cannot decode shows only a black picture. The codec strings
// come from the movie's page, so they are checked and their lines bounded.
#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace controls::webmovie {

class MissingDecoders {
  public:
    // The most codecs one movie view reports; a page that makes up codec names gets no more.
    static constexpr std::size_t kMaxReported = 16;

    // The line for `codec` (a WebCodecs codec string such as "avc1.42E01E") the first time it
    // is noted, else nothing; nothing either for a string that is no codec name (empty, longer
    // than 64 characters, or with characters other than letters, digits, '.', '-' and '_').
    std::optional<std::string> note(std::string_view codec);

  private:
    std::set<std::string, std::less<>> reported_;
};

// "H.264 video" for "avc1.42E01E", "AAC audio" for "mp4a.40.2"...; "" for a codec not known.
std::string codecFamily(std::string_view codec);

}  // namespace controls::webmovie
