// A dialog: a window made from a template, run modally or modelessly, with the framework's
// handling of initialisation, OK and Cancel, and its automatic centring.
#pragma once

#include <atomic>

#include "platform/dialog_template.h"
#include "platform/window.h"

namespace platform {

class Dialog : public Window {
  public:
    // A dialog object without a template yet; Create gives it one.
    Dialog() = default;
    // The template must outlive the dialog (resources are static tables).
    explicit Dialog(const DialogTemplate& resource, Window* parent = nullptr);

    // Runs the dialog modally in a nested message loop on the calling thread and returns the
    // value given to EndDialog, or -1 when the dialog could not be created or WM_QUIT ended the
    // loop (the quit message is then left for the outer loop).
    virtual intptr_t DoModal();
    // Creates the dialog modelessly; it shows itself only if its template says WS_VISIBLE.
    bool Create(Window* parent = nullptr);
    bool Create(const DialogTemplate& resource, Window* parent);
    // Ends a modal run. May be called from any thread; the run ends when its thread next looks
    // at its queue.
    void EndDialog(intptr_t result);

    const DialogTemplate* resource() const { return resource_; }

  protected:
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    bool createFromTemplate(Window* parent);
    void createItems();
    void centreIfNotMoved(const RECT& before);
    // False when WM_QUIT ended the loop; `quitCode` is then its exit code.
    bool runModalLoop(int& quitCode);

    const DialogTemplate* resource_ = nullptr;
    Window* parentAtConstruction_ = nullptr;
    std::atomic<bool> modalEnded_{false};
    std::atomic<intptr_t> modalResult_{-1};
    // The window of a modal run, for EndDialog from other threads.
    std::atomic<HWND> modalHwnd_{nullptr};
    bool inModalLoop_ = false;
};

// SetDialogBkColor: the background and text colours of all the program's dialogs and message
// boxes, from now on.
void setDialogBkColor(COLORREF background, COLORREF text);

// CenterWindow's rule: centre `window` over `over`'s window rectangle (the work area when
// `over` is nullptr), then move it back inside the work area where it sticks out.
RECT centredRect(const RECT& window, const RECT* over, const RECT& workArea);

}  // namespace platform
