#include "shell/console_list_sink.h"

#include <cstdio>
#include <string>

#include "platform/messages.h"

void ConsoleListSink::attach(platform::HWND list) {
    // The kept lines are shown under the lock, so that a line written on another thread meanwhile
    // waits for them. On this thread the sent message is a call, so nothing waits for the lock.
    std::lock_guard lock(mutex_);
    list_ = list;
    attached_ = true;
    for (const std::string& line : kept_) show(line);
    kept_.clear();
}

void ConsoleListSink::write(std::string_view line) {
    const std::string text(line);
    {
        std::lock_guard lock(mutex_);
        if (!attached_) {
            kept_.push_back(text);
            return;
        }
    }
    show(text);
}

void ConsoleListSink::show(const std::string& text) const {
    using namespace platform;
    // One message inserts at the end (index -1): asking for the count first would let two
    // threads insert at the same index and swap their lines.
    if (list_ != nullptr)
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
