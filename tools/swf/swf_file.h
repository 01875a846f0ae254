// Writes an uncompressed SWF movie of one frame: a stage of a size and a background colour, and
// that frame's AVM1 script. Everything the movie shows, it draws from its script.
#pragma once

#include <cstdint>
#include <string>

#include "tools/swf/avm1.h"

namespace swf {

// An SWF (version 10, AVM1, 24 frames a second) of width x height pixels on `background`
// (0xRRGGBB), running `actions` once. Handlers the script sets up (onEnterFrame, button events)
// keep running as the movie plays.
std::string writeSwf(std::uint32_t background, const Avm1& actions, std::uint32_t width = 320,
                     std::uint32_t height = 240);

// The same movie with a video object of the stage's size at its top left, named `videoName`,
// for the script to attach a NetStream to.
std::string writeSwfWithVideo(std::uint32_t background, const Avm1& actions,
                              const std::string& videoName, std::uint32_t width = 320,
                              std::uint32_t height = 240);

}  // namespace swf
