#pragma once

#include <string>

#include "controls/webmovie/remux/flv_output.h"
#include "controls/webmovie/remux/spool_input.h"

// Copies the video and audio of the MP4-family file in input into an FLV written to sink, as
// the file arrives. An empty string when the whole file went out, else why it did not.
std::string remux_to_flv(SpoolInput& input, FlvSink& sink);
