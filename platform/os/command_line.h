// Command lines split into arguments by the Windows rules, so that a parameter text written
// for the programs means the same here: blanks and tabs separate arguments, double quotes group
// them, backslashes escape a quote only when they stand right before one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// CommandLineToArgvW: the first argument (the program) ends at the next blank unless it starts
// with a quote, in which case it runs to the next quote with no escapes; the rest follow the
// general rules.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

// The arguments of a parameter text, as the started program will see them after its name.
std::vector<std::string> splitParameters(std::string_view parameters);

// The inverse of the split: `argument` written so that `splitParameters` reads it back as one
// argument, unchanged. Left as it is when it is not empty and holds no blank, tab or quote;
// otherwise quoted, with each quote escaped and the backslashes before a quote (or before the
// closing quote) doubled.
std::string quoteArgument(std::string_view argument);

}  // namespace platform
