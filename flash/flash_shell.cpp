#include "flash/flash_shell.h"

#include "common/console.h"
#include "flash/flash_requests.h"
#include "platform/messages.h"

using namespace platform;

FlashShell::FlashShell(Window* parent) : parent_(parent) {}

FlashShell::~FlashShell() {
    delete slotA_;
    delete slotB_;
}

void FlashShell::play(const std::string& url, UINT controlId) {
    // A movie may answer videoStop with a command that plays again. That play would make the
    // stopping control the spare, and this one would then delete it while it is still raising
    // the command that led here.
    if (parent_ == nullptr || stopping_) return;
    stopPlay();
    if (current_ != nullptr && current_ == slotA_) {
        releaseControl(current_, slotB_);
        slotB_ = createControl(url, controlId);
        current_ = slotB_;
    } else {
        releaseControl(current_, slotA_);
        slotA_ = createControl(url, controlId);
        current_ = slotA_;
    }
    ready_ = true;
    fitToParent();
}

void FlashShell::releaseControl(CShockwaveFlash* oldCurrent, CShockwaveFlash* spare) {
    if (oldCurrent != nullptr) {
        oldCurrent->SetParent(nullptr);
        oldCurrent->ShowWindow(SW_HIDE);
    }
    if (spare == nullptr) return;
    delete spare;
    if (spare == slotA_)
        slotA_ = nullptr;
    else if (spare == slotB_)
        slotB_ = nullptr;
}

CShockwaveFlash* FlashShell::createControl(const std::string& url, UINT controlId) {
    auto* control = new CShockwaveFlash;
    createFlashControl(*control, *parent_, controlId, url);
    control->SetFocus();
    return control;
}

void FlashShell::stopPlay() {
    // A movie may answer videoStop with a command that stops it again; once is enough.
    if (!isReady() || stopping_) return;
    stopping_ = true;
    callFunction(flash_requests::videoStop());
    stopping_ = false;
    consoleLog("FlashShell::stopPlay");
    ready_ = false;
}

std::string FlashShell::callFunction(const std::string& request) {
    if (!isReady()) return {};
    // A movie that answers a call with a command whose handler calls it again would otherwise
    // recurse until the stack runs out; the movies of all shells count together, as two
    // movies can answer each other.
    thread_local int depth = 0;
    if (depth >= kMaxCallDepth) {
        consoleLogf("callFunction.tooDeep, %s", request);
        return {};
    }
    ++depth;
    std::string reply;
    try {
        reply = current_->CallFunction(request);
    } catch (...) {
        consoleLogf("callFunction.error, %s", request);
    }
    --depth;
    return reply;
}

void FlashShell::fitToParent() {
    if (!isReady()) return;
    const RECT client = parent_->GetClientRect();
    current_->MoveWindow(client.left, client.top, client.width(), client.height(), true);
}

HWND FlashShell::controlWindow() const { return isReady() ? current_->GetSafeHwnd() : nullptr; }

bool FlashShell::isReady() const { return ready_ && parent_ != nullptr && current_ != nullptr; }

bool FlashShell::isParentNormal() const {
    return isReady() && parent_->GetWindowPlacement().showCmd == SW_SHOWNORMAL;
}

void FlashShell::noteMouseDown(std::uint32_t position) {
    pressPosition_ = position;
    // A press below the strip leaves an earlier armed state alone.
    if (HIWORD(position) < kDragStripHeight) dragArmed_ = true;
}

bool FlashShell::isDragMove(std::uint32_t position) const {
    return dragArmed_ && position != pressPosition_;
}

void FlashShell::startDrag(const MSG& msg) {
    if (!isReady()) return;
    commandSuppressed_ = true;
    // The movie sees the button released; a command it raises in answer is dropped.
    platform::sendMessage(msg.hwnd, WM_LBUTTONUP, msg.wParam, msg.lParam);
    // Returns when the user lets go of the window.
    parent_->SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, msg.lParam);
    dragArmed_ = false;
    commandSuppressed_ = false;
}

void FlashShell::cancelDrag() {
    commandSuppressed_ = false;
    dragArmed_ = false;
}

void FlashShell::setWindow(bool value) { callFunction(flash_requests::setWindow(value)); }

void FlashShell::sendKeyCode(int keyCode) {
    callFunction(flash_requests::sendKeyCode(keyCode));
    callFunction(flash_requests::sendKeyCodeLogin(keyCode));
}

void FlashShell::doPause() {
    consoleLog("doPause");
    callFunction(flash_requests::doPause());
}

void FlashShell::doResume() {
    consoleLog("doResume");
    callFunction(flash_requests::doResume());
}

void FlashShell::click() { callFunction(flash_requests::click()); }

void FlashShell::doubleClick() { callFunction(flash_requests::doubleClick()); }

void FlashShell::sendMessage(const std::string& message) {
    const std::string request = flash_requests::receiveMessage(message);
    consoleLogf("sendMessage:%s", request);
    callFunction(request);
}

void FlashShell::callWithString(const std::string& name, const std::string& value) {
    callFunction(flash_requests::withString(name, value));
}

void FlashShell::setVolume(const std::string& value) {
    callFunction(flash_requests::setVolume(value));
}

void FlashCommandShell::handleCommand(const std::string& /*command*/, const std::string& /*args*/) {
}
