#include "platform/headless/headless_window.h"

#include <algorithm>

namespace platform {

namespace {

const char* kindName(WindowKind kind) {
    switch (kind) {
        case WindowKind::TopLevel:
            return "toplevel";
        case WindowKind::Child:
            return "child";
        case WindowKind::ListBox:
            return "listbox";
        case WindowKind::ControlSite:
            return "control";
    }
    return "?";
}

const char* showStateName(UINT showCmd) {
    if (showCmd == SW_SHOWMINIMIZED) return "minimized";
    if (showCmd == SW_SHOWMAXIMIZED) return "maximized";
    return "normal";
}

// Top-level windows only: " owner=<hwnd>".
std::string ownerText(const NativeWindowSpec& spec) {
    if (spec.kind != WindowKind::TopLevel) return {};
    return " owner=" + handleText(spec.owner);
}

std::string regionText(const Region* region) {
    if (region == nullptr) return "none";
    return rectText(region->bounds) + " round " + std::to_string(region->ellipseWidth) + "x" +
           std::to_string(region->ellipseHeight);
}

}  // namespace

HeadlessWindow::HeadlessWindow(HeadlessScreen& screen, const NativeWindowSpec& spec,
                               BackendWindow* parent)
    : screen_(screen),
      hwnd_(spec.hwnd),
      name_(handleText(spec.hwnd)),
      style_(spec.style),
      insets_(spec.insets),
      thread_(std::this_thread::get_id()),
      parent_(static_cast<HeadlessWindow*>(parent)),
      bounds_(spec.bounds) {
    write("create", std::string(kindName(spec.kind)) + " class=" + quoted(spec.className) +
                        " parent=" + (parent_ ? parent_->name_ : "0") + ownerText(spec) +
                        " style=" + flagsText(spec.style) + " exstyle=" + flagsText(spec.exStyle) +
                        " rect=" + rectText(spec.bounds) + " text=" + quoted(spec.text));
    topmost_ = (spec.exStyle & WS_EX_TOPMOST) != 0;
    screen_.add(this);
}

HeadlessWindow::~HeadlessWindow() {
    screen_.remove(this);
    write("destroy");
}

void HeadlessWindow::write(const std::string& event, const std::string& rest) const {
    screen_.trace().write(event + " " + name_ + (rest.empty() ? "" : " " + rest));
}

void HeadlessWindow::setBounds(const RECT& bounds) {
    bounds_ = bounds;
    write("move", rectText(bounds));
}

void HeadlessWindow::setVisible(bool visible) {
    visible_ = visible;
    if (visible && parent_ == nullptr) screen_.raise(this);
    write(visible ? "show" : "hide");
}

void HeadlessWindow::setText(const std::string& text) { write("text", quoted(text)); }

void HeadlessWindow::setIcon(UINT resource, bool big) {
    write("icon", std::string(big ? "big " : "small ") + std::to_string(resource));
}

void HeadlessWindow::setParent(BackendWindow* parent, const RECT& bounds) {
    parent_ = static_cast<HeadlessWindow*>(parent);
    bounds_ = bounds;
    write("parent", (parent_ ? parent_->name_ : "0") + " " + rectText(bounds));
}

void HeadlessWindow::setFocus() {
    screen_.setFocus(this);
    write("focus");
}

void HeadlessWindow::insertItem(int index, const std::string& text) {
    write("item", std::to_string(index) + " " + quoted(text));
}

void HeadlessWindow::setShowState(UINT showCmd) {
    minimized_ = showCmd == SW_SHOWMINIMIZED;
    write("state", showStateName(showCmd));
}

void HeadlessWindow::setTopmost(bool topmost) {
    topmost_ = topmost;
    write("topmost", topmost ? "1" : "0");
}

void HeadlessWindow::setShape(const Region* region) { write("shape", regionText(region)); }

void HeadlessWindow::setStyle(int index, DWORD value) {
    write(index == GWL_EXSTYLE ? "exstyle" : "style", flagsText(value));
}

void HeadlessWindow::setOpacity(std::uint8_t alpha) { write("alpha", std::to_string(alpha)); }

void HeadlessWindow::activate() {
    screen_.raise(this, true);
    write("activate");
}

void HeadlessWindow::setCapture(bool captured) {
    screen_.setCapture(this, captured);
    write("capture", captured ? "1" : "0");
}

bool HeadlessWindow::beginMoveSize(WPARAM edge, POINT screenPoint, const MINMAXINFO&) {
    // No window manager: the portable loop follows the scripted mouse.
    write(edge == 0 ? "moveloop" : "sizeloop", std::to_string(edge) + " " +
                                                   std::to_string(screenPoint.x) + "," +
                                                   std::to_string(screenPoint.y));
    return false;
}

POINT HeadlessWindow::clientOrigin() const {
    POINT origin{bounds_.left + insets_.left, bounds_.top + insets_.top};
    if (parent_ && (style_ & WS_CHILD)) {
        const POINT parentOrigin = parent_->clientOrigin();
        origin.x += parentOrigin.x;
        origin.y += parentOrigin.y;
    }
    return origin;
}

bool HeadlessWindow::containsScreenPoint(POINT point) const {
    const POINT origin = clientOrigin();
    const LONG left = origin.x - insets_.left, top = origin.y - insets_.top;
    return point.x >= left && point.y >= top && point.x < left + bounds_.width() &&
           point.y < top + bounds_.height();
}

HeadlessScreen::HeadlessScreen(std::string tracePath, RECT screen, LONG taskBarHeight)
    : trace_(std::move(tracePath)), screen_(screen), taskBarHeight_(taskBarHeight) {}

RECT HeadlessScreen::workArea() const {
    return RECT{screen_.left, screen_.top, screen_.right, screen_.bottom - taskBarHeight_};
}

void HeadlessScreen::add(HeadlessWindow* window) {
    std::lock_guard lock(mutex_);
    windows_.push_back(window);
}

void HeadlessScreen::remove(HeadlessWindow* window) {
    std::lock_guard lock(mutex_);
    std::erase(windows_, window);
    for (auto* other : windows_)
        if (other->parent_ == window) other->parent_ = nullptr;
    if (foreground_ == window) foreground_ = nullptr;
    std::erase_if(focus_, [&](const auto& entry) { return entry.second == window; });
    std::erase_if(capture_, [&](const auto& entry) { return entry.second == window; });
}

void HeadlessScreen::raise(HeadlessWindow* window, bool activate) {
    std::lock_guard lock(mutex_);
    window->raised_ = nextRaise_++;
    if (activate) foreground_ = window;
}

void HeadlessScreen::setFocus(HeadlessWindow* window) {
    std::lock_guard lock(mutex_);
    focus_[window->thread_] = window;
}

void HeadlessScreen::setCapture(HeadlessWindow* window, bool captured) {
    std::lock_guard lock(mutex_);
    const auto held = capture_.find(window->thread_);
    if (captured)
        capture_[window->thread_] = window;
    else if (held != capture_.end() && held->second == window)
        capture_.erase(held);
}

HeadlessWindow* HeadlessScreen::keyTarget() const {
    std::lock_guard lock(mutex_);
    const auto focus = focus_.find(std::this_thread::get_id());
    if (focus != focus_.end()) return focus->second;
    const bool ours = foreground_ && foreground_->thread_ == std::this_thread::get_id();
    return ours ? foreground_ : nullptr;
}

HeadlessWindow* HeadlessScreen::captured() const {
    std::lock_guard lock(mutex_);
    const auto capture = capture_.find(std::this_thread::get_id());
    return capture != capture_.end() ? capture->second : nullptr;
}

HeadlessWindow* HeadlessScreen::topLevelAt(POINT point) const {
    HeadlessWindow* best = nullptr;
    for (auto* w : windows_) {
        if (w->parent_ != nullptr || !w->visible_ || w->minimized_) continue;
        if (!w->containsScreenPoint(point)) continue;
        const bool above =
            !best || (w->topmost_ != best->topmost_ ? w->topmost_ : w->raised_ > best->raised_);
        if (above) best = w;
    }
    return best;
}

HeadlessWindow* HeadlessScreen::topLevelWindowAt(POINT point) const {
    std::lock_guard lock(mutex_);
    return topLevelAt(point);
}

HeadlessWindow* HeadlessScreen::windowAt(POINT point) const {
    std::lock_guard lock(mutex_);
    HeadlessWindow* found = topLevelAt(point);
    // Descend into visible children; later children lie above earlier ones.
    for (bool deeper = found != nullptr; deeper;) {
        deeper = false;
        for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
            if ((*it)->parent_ != found || !(*it)->visible_) continue;
            if (!(*it)->containsScreenPoint(point)) continue;
            found = *it;
            deeper = true;
            break;
        }
    }
    return found;
}

}  // namespace platform
