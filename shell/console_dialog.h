// The debug log console of the launcher and the player: a window listing, line by line, what
// the program does, with a copy of each line on standard output. It exists only when the
// program's start-up opens it, and then for the rest of the process.
#pragma once

#include "platform/dialog.h"
#include "platform/resource_table.h"

extern platform::Dialog g_consoleDlg;

// Registers the console's sink of the log before its window can be made (the window system may
// still be starting): lines logged from now on are kept, in their order, and shown when
// openConsole makes the window. Needs no window system; any thread; once.
void keepConsoleLines();

// Creates the console from the program's dialog IDD_CONSOLE (console_ids.h), shows it and
// registers its list box as a sink of the log (console_list_sink.h), first with the lines kept
// since keepConsoleLines. Once.
bool openConsole(const platform::ResourceTable& resources);
