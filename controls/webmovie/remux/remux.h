#pragma once

#include <string>

#include "controls/webmovie/remux/flv_output.h"
#include "controls/webmovie/remux/spool_input.h"

namespace controls::webmovie::remux {

// Copies the video and audio of the MP4-family file in input into an FLV written to sink, as
// the file arrives. An empty string when the whole file went out, else why it did not.
std::string remuxToFlv(SpoolInput& input, FlvSink& sink);

}  // namespace controls::webmovie::remux
