// The debug log console of the launcher and the player: a window listing, line by line, what
// the program does, with a copy of each line on standard output. It exists only when the
// program's start-up opens it, and then for the rest of the process.
#pragma once

#include "platform/dialog.h"
#include "platform/resource_table.h"

extern platform::Dialog g_consoleDlg;

// Creates the console from the program's dialog IDD_CONSOLE (console_ids.h), shows it and
// registers its list box as a sink of the log (console_list_sink.h). Once.
bool openConsole(const platform::ResourceTable& resources);
