#include "shell/console_list_sink.h"

#include <cstdio>
#include <string>

#include "platform/messages.h"

void ConsoleListSink::write(std::string_view line) {
    using namespace platform;
    const std::string text(line);
    // One message inserts at the end (index -1): asking for the count first would let two
    // threads insert at the same index and swap their lines.
    sendMessage(list_, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                reinterpret_cast<LPARAM>(text.c_str()));
    // One write per line, so lines of two threads never interleave. Standard output is often
    // not connected in a windowed program; errors are ignored.
    const std::string copy = text + "\n";
    flockfile(stdout);
    std::fwrite(copy.data(), 1, copy.size(), stdout);
    std::fflush(stdout);
    funlockfile(stdout);
}
