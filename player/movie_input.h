// The filter in front of the movie of a movie window, shared by the main window and the preview
// window: keys go to the movie first, the movie's top strip drags the window, the window's
// edges size it where it is resizable, a double click goes to the movie and the right button
// opens the window's context menu.
#pragma once

#include "flash/flash_shell.h"
#include "platform/os/win32.h"
#include "shell/base_dlg.h"

// What a press of the left button inside the movie does besides arming the drag.
enum class MoviePress { ArmDrag, ClickAndArmDrag };

// Filters one message that reaches `window` while `movie` is ready. True when the message was
// consumed; the window passes the others on to BaseDlg::PreTranslateMessage.
bool filterMovieInput(BaseDlg& window, FlashShell& movie, const platform::MSG& msg,
                      MoviePress press);

// WM_GETMINMAXINFO of a movie window: it never tracks smaller than its movie's design size.
platform::LRESULT keepDesignSize(platform::LPARAM minMaxInfo, int width, int height);

// WM_CONTEXTMENU of a movie window: the movie draws its own menu, so the message is only logged
// as "<window>::OnContextMenu:<hwnd>".
platform::LRESULT logContextMenu(const char* window, platform::WPARAM wParam);
