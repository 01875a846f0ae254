#include "platform/dialog.h"

#include "platform/list_box.h"
#include "platform/messages.h"

namespace platform {

void setDialogBkColor(COLORREF background, COLORREF text) {
    backend().setDialogColors(background, text);
}

RECT centredRect(const RECT& window, const RECT* over, const RECT& workArea) {
    const RECT& centre = over ? *over : workArea;
    const LONG width = window.width();
    const LONG height = window.height();
    LONG left = (centre.left + centre.right) / 2 - width / 2;
    LONG top = (centre.top + centre.bottom) / 2 - height / 2;
    if (left + width > workArea.right) left = workArea.right - width;
    if (left < workArea.left) left = workArea.left;
    if (top + height > workArea.bottom) top = workArea.bottom - height;
    if (top < workArea.top) top = workArea.top;
    return RECT{left, top, left + width, top + height};
}

Dialog::Dialog(const DialogTemplate& resource, Window* parent)
    : resource_(&resource), parentAtConstruction_(parent) {}

bool Dialog::createFromTemplate(Window* parent) {
    if (resource_ == nullptr) return false;
    const RECT insets = nonClientInsets(resource_->style);
    const LONG width = dialogUnitsToPixelsX(resource_->cx) + insets.left + insets.right;
    const LONG height = dialogUnitsToPixelsY(resource_->cy) + insets.top + insets.bottom;
    // A pop-up dialog's template position is relative to its owner's client area.
    POINT origin{};
    if (parent && !(resource_->style & DS_ABSALIGN)) origin = parent->ClientOrigin();
    const LONG left = origin.x + dialogUnitsToPixelsX(resource_->x);
    const LONG top = origin.y + dialogUnitsToPixelsY(resource_->y);
    RECT rect{left, top, left + width, top + height};
    if (resource_->style & DS_CENTER) rect = centredRect(rect, nullptr, backend().workArea());

    const DWORD style = resource_->style & ~WS_VISIBLE;
    if (!CreateEx(resource_->exStyle, "#32770", std::string(resource_->caption), style, rect,
                  parent, 0))
        return false;
    createItems();
    const RECT before = GetWindowRect();
    SendMessage(WM_INITDIALOG);
    centreIfNotMoved(before);
    if (resource_->style & WS_VISIBLE) ShowWindow(SW_SHOWNORMAL);
    return true;
}

void Dialog::createItems() {
    for (const auto& item : resource_->items) {
        const RECT rect{dialogUnitsToPixelsX(item.x), dialogUnitsToPixelsY(item.y),
                        dialogUnitsToPixelsX(item.x + item.cx),
                        dialogUnitsToPixelsY(item.y + item.cy)};
        // Template controls belong to the dialog's window and free themselves with it.
        ChildControl* control =
            item.controlClass == ControlClass::ListBox ? new ListBox : new ChildControl;
        control->CreateEx(0, controlClassName(item.controlClass), std::string(item.text),
                          item.style | WS_CHILD, rect, this, item.id);
    }
}

void Dialog::centreIfNotMoved(const RECT& before) {
    // The framework centres a dialog that its initialisation left where the template put it,
    // unless the template asks for a position of its own.
    const DWORD style = GetStyle();
    if (style & (WS_CHILD | DS_ABSALIGN | DS_CENTER | DS_CENTERMOUSE)) return;
    const RECT now = GetWindowRect();
    if (now.left != before.left || now.top != before.top) return;
    RECT ownerRect;
    Window* owner = GetOwner();
    const bool overOwner = owner && owner->IsWindowVisible();
    if (overOwner) ownerRect = owner->GetWindowRect();
    MoveWindow(centredRect(now, overOwner ? &ownerRect : nullptr, backend().workArea()));
}

bool Dialog::Create(const DialogTemplate& resource, Window* parent) {
    resource_ = &resource;
    return createFromTemplate(parent);
}

bool Dialog::Create(Window* parent) {
    return createFromTemplate(parent ? parent : parentAtConstruction_);
}

intptr_t Dialog::DoModal() {
    // An EndDialog that comes before the run (from a worker the dialog's initialisation
    // started) ends it at once; the state is reset when a run ends, not when one begins.
    const bool created = createFromTemplate(parentAtConstruction_);
    modalHwnd_ = GetSafeHwnd();
    int quitCode = 0;
    const bool quit = created && !runModalLoop(quitCode);
    modalHwnd_ = nullptr;
    if (GetSafeHwnd()) {
        ShowWindow(SW_HIDE);
        DestroyWindow();
    }
    const intptr_t result = created && !quit ? modalResult_.load() : -1;
    modalEnded_ = false;
    modalResult_ = -1;
    // Leave WM_QUIT for the outer loop.
    if (quit) postQuitMessage(quitCode);
    return result;
}

bool Dialog::runModalLoop(int& quitCode) {
    if (!IsWindowVisible() && !modalEnded_) ShowWindow(SW_SHOWNORMAL);
    while (!modalEnded_ && GetSafeHwnd() != nullptr)
        if (!pumpMessage(&quitCode)) return false;
    return true;
}

void Dialog::EndDialog(intptr_t result) {
    modalResult_ = result;
    modalEnded_ = true;
    // Wakes the dialog's thread from any thread; the hiding follows on that thread.
    if (HWND modal = modalHwnd_.load())
        postMessage(modal, WM_NULL);
    else if (GetSafeHwnd() != nullptr)
        PostMessage(WM_NULL);
}

LRESULT Dialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog() ? 1 : 0;
        case WM_CLOSE:
            OnCancel();
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) OnOK();
            if (LOWORD(wParam) == IDCANCEL) OnCancel();
            return 0;
        case WM_NULL:
            // A dialog ended outside a modal run is hidden, as EndDialog does.
            if (modalEnded_ && IsWindowVisible()) ShowWindow(SW_HIDE);
            return 0;
        default:
            return Window::DefWindowProc(message, wParam, lParam);
    }
}

}  // namespace platform
