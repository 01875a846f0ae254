// Reading a UI trace (docs/headless.md) in tests: every line starts with its time in
// milliseconds, which most tests leave aside.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

struct TraceLine {
    std::int64_t ms = -1;  // -1: the line had no time prefix
    std::string event;     // the line after the prefix
};

// The lines of a trace text, each split into its time and its event.
std::vector<TraceLine> traceLines(const std::string& text);
// The trace text with the time prefixes taken off, every line still ended by a line feed.
std::string withoutTimes(const std::string& text);
// The trace in the file at `path` without its time prefixes.
std::string readTrace(const std::string& path);

}  // namespace test_support
