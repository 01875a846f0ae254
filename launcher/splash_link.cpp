#include "launcher/splash_link.h"

#include "launcher/splash_dlg.h"

void SplashLink::attach(SplashDlg* splash) {
    // The kept requests go to the splash under the lock: one the worker makes meanwhile waits
    // for them. Both calls only queue work for the splash's thread, which is this one.
    std::lock_guard lock(mutex_);
    splash_ = splash;
    state_ = State::attached;
    for (const Request& request : kept_) request(*splash_);
    kept_.clear();
}

void SplashLink::detach() {
    std::lock_guard lock(mutex_);
    splash_ = nullptr;
    state_ = State::detached;
    kept_.clear();
}

void SplashLink::failMess(const std::string& text) {
    ask([text](SplashDlg& splash) { splash.failMess(text); });
}

void SplashLink::close() {
    ask([](SplashDlg& splash) { splash.close(); });
}

void SplashLink::ask(Request request) {
    std::lock_guard lock(mutex_);
    if (state_ == State::waiting) kept_.push_back(std::move(request));
    if (state_ == State::attached) request(*splash_);
}
