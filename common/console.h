// The debug log console: a window listing, line by line, what the program does, with a copy of
// each line on standard output. It exists only when the program's start-up opens it; until
// then every logging call is one flag test.
#pragma once

#include <cstdint>
#include <string>

#include "platform/dialog.h"
#include "platform/resource_table.h"

extern bool g_bConsoleEnabled;
extern platform::Dialog g_consoleDlg;

// Creates the console from the program's dialog IDD_CONSOLE (console_ids.h), shows it and enables
// logging. Once.
bool openConsole(const platform::ResourceTable& resources);

// Appends one line. Callable from any thread: the list box is reached by sent messages, so a
// caller on another thread waits until the console's thread handles them.
void consoleLog(const std::string& text);
void consoleLog(const char* text);
// Formats printf-style and appends the result; formats are literals. Nothing is formatted while
// the console is off, so these are the calls for lines built from values.
void consoleLogf(const char* format, std::int32_t value);
void consoleLogf(const char* format, const char* text);
void consoleLogf(const char* format, const std::string& text);
// A text, then a number ("%s:%d").
void consoleLogf(const char* format, const char* text, std::int32_t value);
void consoleLogf(const char* format, const std::string& text, std::int32_t value);
