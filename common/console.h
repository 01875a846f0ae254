// The debug log: lines telling what the program does, handed to every registered sink (the
// console window when the program's start-up opens it, a test's capture). While no sink is
// registered every logging call is one flag test.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Where logged lines go.
class ConsoleSink {
  public:
    virtual ~ConsoleSink() = default;
    // One line, without its line feed. Called on the logging thread, from any thread and
    // possibly from several at once, with no lock of the log held: a sink that needs a thread of
    // its own brings the line there itself, and the caller waits as long as `write` takes.
    virtual void write(std::string_view line) = 0;
};

// Registers `sink` after those already there; every line goes to the sinks in that order.
// Callable from any thread.
void addConsoleSink(ConsoleSink& sink);
// Unregisters `sink`. A line being written on another thread at that moment may still reach it,
// so a sink is removed once no other thread logs, or never.
void removeConsoleSink(ConsoleSink& sink);
// Whether any sink is registered.
bool consoleEnabled();

// Writes one line. Callable from any thread.
void consoleLog(const std::string& text);
void consoleLog(const char* text);
// Formats printf-style and writes the result; formats are literals. Nothing is formatted while
// no sink is registered, so these are the calls for lines built from values.
void consoleLogf(const char* format, std::int32_t value);
void consoleLogf(const char* format, const char* text);
void consoleLogf(const char* format, const std::string& text);
// A text, then a number ("%s:%d").
void consoleLogf(const char* format, const char* text, std::int32_t value);
void consoleLogf(const char* format, const std::string& text, std::int32_t value);
