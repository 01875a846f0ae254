// Fuzzes the split of parameter texts and command lines. Every argument the split yields,
// quoted by quoteArgument, reads back as that one argument, and the quoted arguments joined
// by blanks read back as the same list.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/command_line.h"

namespace {

void check(bool holds) {
    if (!holds) __builtin_trap();
}

std::string joined(const std::vector<std::string>& arguments) {
    std::string text;
    for (const std::string& argument : arguments) {
        if (!text.empty()) text += ' ';
        text += platform::quoteArgument(argument);
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> arguments = platform::splitParameters(text);
    for (const std::string& argument : arguments) {
        check(platform::splitParameters(platform::quoteArgument(argument)) ==
              std::vector<std::string>{argument});
    }
    check(platform::splitParameters(joined(arguments)) == arguments);
    check(platform::splitParameters(platform::quoteArgument(text)) ==
          std::vector<std::string>{text});
    const std::vector<std::string> line = platform::splitCommandLine(text);
    check(!line.empty());
    return 0;
}
