#pragma once

#include <cstdint>
#include <string>

// Bounds on what one run over a hostile file may take: memory, CPU time, the size of the files
// it writes, one allocation. Also makes a closed output an error rather than a signal. An empty
// string, or the bound that could not be set.
std::string apply_limits(int64_t max_bytes);
