#include "shell/console_dialog.h"

#include <csignal>

#include "common/console.h"
#include "common/console_ids.h"
#include "shell/console_list_sink.h"

platform::Dialog g_consoleDlg;

namespace {

bool g_opened = false;

// Never destroyed: lines logged while the process exits still reach standard output.
ConsoleListSink& consoleSink() {
    static ConsoleListSink* sink = [] {
        auto* made = new ConsoleListSink;
        addConsoleSink(*made);
        return made;
    }();
    return *sink;
}

}  // namespace

void keepConsoleLines() { consoleSink(); }

bool openConsole(const platform::ResourceTable& resources) {
    if (g_opened) return true;
    const auto* resource = resources.dialog(console::IDD_CONSOLE);
    if (resource == nullptr || !g_consoleDlg.Create(*resource, nullptr)) return false;
    platform::Window* list = g_consoleDlg.GetDlgItem(console::IDC_CONSOLE_LIST);
    const platform::HWND listHandle = list ? list->GetSafeHwnd() : nullptr;
    g_consoleDlg.ShowWindow(platform::SW_SHOW);
    // A closed pipe on standard output must not end the program in the middle of a log line.
    std::signal(SIGPIPE, SIG_IGN);
    consoleSink().attach(listHandle);
    g_opened = true;
    return true;
}
