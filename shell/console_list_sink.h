// The console window's part of the debug log: each line inserted at the end of a list box, then
// copied to standard output.
#pragma once

#include <string_view>

#include "common/console.h"
#include "platform/os/win32.h"

class ConsoleListSink : public ConsoleSink {
  public:
    explicit ConsoleListSink(platform::HWND list) : list_(list) {}

    // From any thread: the list box is reached by a sent message, so a caller on another thread
    // waits until the list box's thread has inserted the line. The copy on standard output
    // follows the insertion.
    void write(std::string_view line) override;

  private:
    platform::HWND list_;
};
