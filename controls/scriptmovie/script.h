// A scripted movie: the text a scriptmovie control plays in place of a Flash movie. The format
// is described in docs/scriptmovie.md.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace controls::scriptmovie {

// One FSCommand event the movie raises.
struct FsCommand {
    std::string command;
    std::string args;
};

// What CallFunction does for one invoke name.
struct CallHandler {
    std::vector<FsCommand> events;       // raised in file order, from inside the call
    std::optional<std::string> reply;    // the reply text; unset is the empty reply
    std::optional<std::string> failure;  // set: the call fails with this description
};

struct Script {
    // Events raised after Play, by delay in milliseconds; file order within one delay.
    std::map<std::uint32_t, std::vector<FsCommand>> timeline;
    std::map<std::string, CallHandler> handlers;  // by invoke name, compared exactly
};

// Parses a scripted movie. Returns nullopt and sets `error` ("line N: ...") at the first
// malformed line: a movie with a fault is refused as a whole, so its author notices.
std::optional<Script> parseScript(std::string_view text, std::string* error = nullptr);

}  // namespace controls::scriptmovie
