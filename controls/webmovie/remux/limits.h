#pragma once

#include <cstdint>
#include <string>

namespace controls::webmovie::remux {

// Bounds on what one run over a hostile file may take: memory, CPU time, the size of the files
// it writes, one allocation. Also makes a closed output an error rather than a signal. An empty
// string, or the bound that could not be set.
std::string applyLimits(int64_t maxBytes);

}  // namespace controls::webmovie::remux
