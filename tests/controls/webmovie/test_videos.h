// Videos for the movies of the tests, made by ffmpeg at test time, and the script of a movie
// that streams one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/swf/avm1.h"

namespace webmovie_test {

// Runs ffmpeg with `args` and writes `name` in `dir`; its bytes, or "" when ffmpeg fails.
std::string ffmpegVideo(const std::filesystem::path& dir, const std::string& name,
                        const std::vector<std::string>& args);

// The colours of twoColourVideo's halves.
constexpr std::uint32_t kFirstColour = 0xC02040;
constexpr std::uint32_t kSecondColour = 0x20A0E0;

// 2 s of kFirstColour, then 2 s of kSecondColour, 320 x 240 at 24 fps with a tone, encoded with
// `codecs` ("-c:v libx264 -c:a aac"...) into `name` (its extension chooses the container).
std::string twoColourVideo(const std::filesystem::path& dir, const std::string& name,
                           const std::vector<std::string>& codecs);

// Plays `file` with a NetStream into the video object `screen`. fscommand("video", code) for
// each of the stream's status events, fscommand("meta", "<duration> <width>x<height>") for its
// metadata; with a `command`, fscommand(command, "video:" + code) and (command, "meta:...").
swf::Avm1 videoScript(const std::string& file, const std::string& command = "");

// Whether two colours 0xRRGGBB differ by at most 16 in each channel.
bool near(std::uint32_t a, std::uint32_t b);

// Standard error of the process, kept in a file while the capture lives.
class CapturedStderr {
  public:
    CapturedStderr();
    ~CapturedStderr();
    CapturedStderr(const CapturedStderr&) = delete;
    CapturedStderr& operator=(const CapturedStderr&) = delete;
    std::string text() const;

  private:
    int file_ = -1;
    int saved_ = -1;
};

}  // namespace webmovie_test
