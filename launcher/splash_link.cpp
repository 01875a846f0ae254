#include "launcher/splash_link.h"

#include "launcher/splash_dlg.h"

void SplashLink::attach(SplashDlg* splash) {
    std::lock_guard lock(mutex_);
    splash_ = splash;
}

void SplashLink::failMess(const std::string& text) {
    std::lock_guard lock(mutex_);
    if (splash_) splash_->failMess(text);
}

void SplashLink::close() {
    std::lock_guard lock(mutex_);
    if (splash_) splash_->close();
}
