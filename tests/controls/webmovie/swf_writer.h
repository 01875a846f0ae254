// The SWF test movies, written with the project's SWF writer (tools/swf/).
#pragma once

#include <cstdint>
#include <string>

#include "tools/swf/avm1.h"
#include "tools/swf/swf_file.h"

namespace webmovie_test {

// The stage colour of the tests' SWF movies, looked for on the screen.
inline constexpr std::uint32_t kStage = 0x3060C0;

using swf::Avm1;
using swf::writeSwf;
using swf::writeSwfWithVideo;

// The tests' SWF movie on a `stage` background. It registers two ExternalInterface callbacks,
// echo(a) (raises FSCommand got(a), returns "r:" + a) and twice(a) (raises again(a), returns
// "t:" + a), then raises ready("你好 & <swf>").
std::string echoSwf(std::uint32_t stage);

}  // namespace webmovie_test
