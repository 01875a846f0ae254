#include "platform/window.h"

#include <algorithm>

#include "platform/control_container.h"
#include "platform/icon.h"
#include "platform/messages.h"
#include "platform/shell_services.h"
#include "platform/window_table.h"

namespace platform {

namespace {

thread_local HWND t_focus = nullptr;

// The window class of a hosted control's own window.
constexpr std::string_view kControlSiteClass = "ControlSite";

}  // namespace

std::string eventString(const EventArgs& args, std::size_t index) {
    if (index >= args.size()) return {};
    const auto* text = std::get_if<std::string>(&args[index]);
    return text ? *text : std::string();
}

Window::Window() = default;

Window::~Window() { DestroyWindow(); }

Window* Window::FromHandle(HWND hwnd) {
    auto queue = window_table::ownerQueue(hwnd);
    if (!queue || queue->threadId() != std::this_thread::get_id()) return nullptr;
    return window_table::find(hwnd);
}

WindowKind Window::nativeKind() const {
    if (className_ == kControlSiteClass) return WindowKind::ControlSite;
    return (style_ & WS_CHILD) ? WindowKind::Child : WindowKind::TopLevel;
}

RECT Window::nonClientInsets(DWORD style) {
    if (style & WS_CHILD) {
        const LONG border = (style & WS_BORDER) ? 1 : 0;
        return RECT{border, border, border, border};
    }
    // Fixed metrics, those of a classic Windows theme: a 3-pixel dialog frame and a 23-pixel
    // caption. Borderless pop-ups have no frame at all.
    const bool caption = (style & WS_CAPTION) == WS_CAPTION;
    const bool frame = caption || (style & (WS_DLGFRAME | WS_THICKFRAME)) != 0;
    const LONG edge = frame ? 3 : ((style & WS_BORDER) ? 1 : 0);
    return RECT{edge, edge + (caption ? 23 : 0), edge, edge};
}

bool Window::CreateEx(DWORD exStyle, std::string_view className, const std::string& windowName,
                      DWORD style, const RECT& rect, Window* parent, UINT id) {
    if (hwnd_ != nullptr || !hasBackend()) return false;
    exStyle_ = exStyle;
    style_ = style & ~WS_VISIBLE;
    className_ = className;
    text_ = windowName;
    rect_ = rect;
    normalRect_ = rect;
    id_ = id;
    // A child lives in its parent's client area; any other window is owned by it.
    if (style & WS_CHILD)
        parent_ = parent;
    else
        owner_ = parent;
    hwnd_ = window_table::add(this, ThreadQueue::currentShared(), !(style & WS_CHILD));
    NativeWindowSpec spec{nativeKind(), hwnd_,    className_, text_,
                          style_,       exStyle_, rect_,      nonClientInsets(style_),
                          this};
    spec.owner = owner_ ? owner_->hwnd_ : nullptr;
    native_ = backend().createWindow(spec, parent_ ? parent_->native_.get() : nullptr);
    if (parent_) parent_->children_.push_back(this);
    if (owner_) owner_->owned_.push_back(this);
    SendMessage(WM_CREATE);
    if (style & WS_VISIBLE) ShowWindow(SW_SHOW);
    return true;
}

bool Window::DestroyWindow() {
    if (hwnd_ == nullptr) return false;
    if (t_focus == hwnd_) t_focus = nullptr;
    // Owned windows go first, as they do on Windows.
    while (!owned_.empty()) owned_.front()->DestroyWindow();
    if (IsWindowVisible()) ShowWindow(SW_HIDE);
    destroyTree();
    return true;
}

void Window::destroyTree() {
    SendMessage(WM_DESTROY);
    // A child's handler may destroy siblings; take them one at a time from a fresh list.
    while (!children_.empty()) children_.front()->destroyTree();
    const HWND hwnd = hwnd_;
    // The table's queue, not the thread's: windows may be destroyed during process exit,
    // after the thread's own queue holder is gone.
    if (auto queue = window_table::ownerQueue(hwnd)) queue->killWindowTimers(hwnd);
    container_.reset();
    SendMessage(WM_NCDESTROY);
    if (parent_) std::erase(parent_->children_, this);
    if (owner_) std::erase(owner_->owned_, this);
    parent_ = nullptr;
    owner_ = nullptr;
    native_.reset();
    window_table::remove(hwnd);
    hwnd_ = nullptr;
    if (t_focus == hwnd) t_focus = nullptr;
    PostNcDestroy();
}

LONG Window::GetWindowLong(int index) const {
    if (index == GWL_STYLE) return static_cast<LONG>(style_);
    if (index == GWL_EXSTYLE) return static_cast<LONG>(exStyle_);
    return 0;
}

LONG Window::SetWindowLong(int index, LONG value) {
    const LONG previous = GetWindowLong(index);
    if (index == GWL_STYLE) {
        const bool visible = IsWindowVisible();
        style_ = static_cast<DWORD>(value);
        // Visibility changes only through ShowWindow, so the backend hears of them.
        setVisibleFlag(visible);
        const DWORD before = static_cast<DWORD>(previous) & ~WS_VISIBLE;
        if (native_ && (style_ & ~WS_VISIBLE) != before)
            native_->setStyle(GWL_STYLE, style_ & ~WS_VISIBLE);
    } else if (index == GWL_EXSTYLE) {
        exStyle_ = static_cast<DWORD>(value);
        if (native_ && exStyle_ != static_cast<DWORD>(previous))
            native_->setStyle(GWL_EXSTYLE, exStyle_);
    }
    return previous;
}

POINT Window::ClientOrigin() const {
    const RECT window = GetWindowRect();
    const RECT insets = nonClientInsets(style_);
    return POINT{window.left + insets.left, window.top + insets.top};
}

RECT Window::GetWindowRect() const {
    if (!(style_ & WS_CHILD) || parent_ == nullptr) return rect_;
    const POINT origin = parent_->ClientOrigin();
    return RECT{rect_.left + origin.x, rect_.top + origin.y, rect_.right + origin.x,
                rect_.bottom + origin.y};
}

RECT Window::GetClientRect() const {
    const RECT insets = nonClientInsets(style_);
    const LONG width = std::max<LONG>(0, rect_.width() - insets.left - insets.right);
    const LONG height = std::max<LONG>(0, rect_.height() - insets.top - insets.bottom);
    return RECT{0, 0, width, height};
}

void Window::MoveWindow(int x, int y, int width, int height, bool /*repaint*/) {
    if (hwnd_ == nullptr) return;
    applyBounds(RECT{x, y, x + width, y + height}, true);
}

void Window::onNativeBoundsChanged(const RECT& bounds) {
    if (hwnd_ != nullptr) applyBounds(bounds, false);
}

void Window::applyBounds(const RECT& rect, bool tellNative) {
    const RECT old = rect_;
    rect_ = rect;
    if (rect_ == old) return;
    if (native_ && tellNative) native_->setBounds(rect_);
    if (old.left != rect_.left || old.top != rect_.top)
        SendMessage(WM_MOVE, 0,
                    MAKELPARAM(static_cast<std::uint16_t>(rect_.left),
                               static_cast<std::uint16_t>(rect_.top)));
    if (old.width() != rect_.width() || old.height() != rect_.height()) {
        const RECT client = GetClientRect();
        SendMessage(WM_SIZE, 0,
                    MAKELPARAM(static_cast<std::uint16_t>(client.width()),
                               static_cast<std::uint16_t>(client.height())));
    }
}

void Window::MoveWindow(const RECT& rect, bool repaint) {
    MoveWindow(rect.left, rect.top, rect.width(), rect.height(), repaint);
}

void Window::setVisibleFlag(bool visible) {
    style_ = visible ? (style_ | WS_VISIBLE) : (style_ & ~WS_VISIBLE);
}

bool Window::IsWindowVisible() const { return hwnd_ != nullptr && (style_ & WS_VISIBLE) != 0; }

Window* Window::SetParent(Window* parent) {
    Window* previous = parent_;
    if (hwnd_ == nullptr || parent == parent_) return previous;
    const RECT screen = GetWindowRect();
    if (parent_) std::erase(parent_->children_, this);
    parent_ = parent;
    if (parent_) parent_->children_.push_back(this);
    // The window keeps its place on the screen, as SetParent does.
    if (parent_ && (style_ & WS_CHILD)) {
        const POINT origin = parent_->ClientOrigin();
        rect_ = RECT{screen.left - origin.x, screen.top - origin.y, screen.right - origin.x,
                     screen.bottom - origin.y};
    } else {
        rect_ = screen;
    }
    if (native_) native_->setParent(parent_ ? parent_->native_.get() : nullptr, rect_);
    return previous;
}

Window* Window::GetDlgItem(UINT id) const {
    for (Window* child : children_)
        if (child->id_ == id) return child;
    return nullptr;
}

void Window::SetWindowText(const std::string& text) {
    if (hwnd_ == nullptr || text == text_) return;
    text_ = text;
    if (native_) native_->setText(text_);
}

HICON Window::SetIcon(HICON icon, bool bigIcon) {
    HICON& slot = bigIcon ? bigIcon_ : smallIcon_;
    HICON previous = slot;
    slot = icon;
    if (native_ && icon != previous) native_->setIcon(iconResourceOf(icon), bigIcon);
    return previous;
}

Window* Window::SetFocus() {
    if (hwnd_ == nullptr) return nullptr;
    Window* previous = FromHandle(t_focus);
    t_focus = hwnd_;
    if (native_) native_->setFocus();
    if (container_) container_->focus();
    return previous;
}

Window* Window::GetFocus() { return FromHandle(t_focus); }

LRESULT Window::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return platform::sendMessage(hwnd_, message, wParam, lParam);
}

bool Window::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return platform::postMessage(hwnd_, message, wParam, lParam);
}

bool Window::CreateControl(std::string_view clsid, const std::string& windowName, DWORD style,
                           const RECT& rect, Window* parent, UINT id) {
    if (hwnd_ != nullptr || parent == nullptr) return false;
    auto factory = ControlContainer::findFactory(clsid);
    if (!factory) return false;
    // The control is always a visible child of its container, whatever pop-up bits the given
    // style carries from the parent: it is activated in place.
    const DWORD childStyle = (style & ~WS_POPUP) | WS_CHILD | WS_VISIBLE;
    if (!CreateEx(0, kControlSiteClass, windowName, childStyle, rect, parent, id)) return false;
    container_ = ControlContainer::create(factory, clsid, *this);
    if (container_) return true;
    DestroyWindow();
    return false;
}

control_abi::Variant Window::InvokeHelper(DISPID dispid, control_abi::InvokeKind kind,
                                          const std::vector<control_abi::Variant>& params) {
    if (!container_) return {};
    auto result = container_->invoke(dispid, kind, params);
    if (!result.ok) throw DispatchException(result.error);
    return result.value;
}

bool Window::PreTranslateMessage(MSG* /*msg*/) { return false; }

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base)
        for (const auto& entry : map->entries)
            if (entry.message == message) return entry.handler(*this, wParam, lParam);
    return DefWindowProc(message, wParam, lParam);
}

LRESULT Window::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) DestroyWindow();
    if (message == WM_RBUTTONUP) {
        const POINT at = GetCursorPos();
        SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd_),
                    MAKELPARAM(static_cast<std::uint16_t>(at.x), static_cast<std::uint16_t>(at.y)));
    }
    // A child passes the context-menu request up to its parent.
    if (message == WM_CONTEXTMENU && (style_ & WS_CHILD) && parent_)
        return parent_->SendMessage(WM_CONTEXTMENU, wParam, lParam);
    if (message == WM_NCLBUTTONDOWN && wParam == HTCAPTION) runMoveSizeLoop(0);
    if (message == WM_SYSCOMMAND) systemCommand(wParam);
    return 0;
}

bool Window::OnControlEvent(UINT controlId, DISPID dispid, const EventArgs& args) {
    for (const EventSinkMap* map = GetEventSinkMap(); map != nullptr; map = map->base) {
        for (const auto& entry : map->entries) {
            if (entry.controlId != controlId || entry.dispid != dispid) continue;
            entry.handler(*this, args);
            return true;
        }
    }
    return false;
}

}  // namespace platform
