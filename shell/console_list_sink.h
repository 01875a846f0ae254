// The console window's part of the debug log: each line inserted at the end of a list box, then
// copied to standard output. Made before its window, it keeps the lines until the list box comes.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/console.h"
#include "platform/os/win32.h"

class ConsoleListSink : public ConsoleSink {
  public:
    // The list box's thread: the list box (or none: standard output alone) from now on. The
    // lines kept so far go in first; a line written meanwhile on another thread follows them.
    void attach(platform::HWND list);

    // From any thread: the list box is reached by a sent message, so a caller on another thread
    // waits until the list box's thread has inserted the line. The copy on standard output
    // follows the insertion.
    void write(std::string_view line) override;

  private:
    void show(const std::string& text) const;

    std::mutex mutex_;
    platform::HWND list_ = nullptr;
    bool attached_ = false;
    std::vector<std::string> kept_;
};
