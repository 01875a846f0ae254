// What a movie shell of the player (MainPlayer, FlvPlayer) may ask of the main window that
// hosts both shells. A shell reaches the main window only through these operations, so what a
// movie's command can do to the player is this list, and a shell can be driven against a fake.
//
// Every operation is called on the UI thread, from inside a movie's command handler, and may
// call back into either movie before it returns (which may raise further commands). An
// implementation never destroys a shell from inside one.
#pragma once

#include <string>

#include "shell/base_dlg.h"

class ShellHost {
  public:
    // "Close": in play mode the main movie comes back (a maximised window first returns to
    // normal); otherwise, or from the tray, the tray icon goes and the process ends.
    virtual void closeWindow() = 0;
    // Minimises, maximises or restores the main window (BaseDlg::setShowState).
    virtual void showWindowAs(BaseDlg::ShowRequest request) = 0;
    // BaseDlg::setTopMost or clearTopMost of the main window; both movies are told.
    virtual void keepOnTop(bool topmost) = 0;
    // Shows the main window and brings it to the front.
    virtual void showAndActivateWindow() = 0;
    // Pauses both movies and hides both windows in the notification area.
    virtual void hideToTray() = 0;

    // Leaves play mode: a playing video moves to the preview window, the main movie comes
    // back and a maximised window (or, outside play mode, preview) returns to normal.
    virtual void backToMainMovie() = 0;
    // Takes the video out of the preview into the main window, where it plays on.
    virtual void resumeVideoInMainWindow() = 0;
    // "setarg": plays the video with `query`, in the preview (adding "&iswin=true") when that
    // is shown and in the main window otherwise, then sets the main movie's volume from it.
    virtual void setMovieArg(const std::string& query) = 0;
    virtual bool isPreviewShown() const = 0;
    // Hides the preview window and stops its video.
    virtual void closePreview() = 0;

    // The boss key: `keys` as BaseDlg::registerHotKey reads them; a failure is only logged.
    virtual void setHotKey(const std::string& keys) = 0;
    virtual void clearHotKey() = 0;

    // Hands a message of one movie to the other (FlashShell::sendMessage).
    virtual void sendToMainMovie(const std::string& message) = 0;
    virtual void sendToPlayMovie(const std::string& message) = 0;

  protected:
    // Never deleted through this interface.
    ~ShellHost() = default;
};
