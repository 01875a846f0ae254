// The start-up worker's way to the splash window. The worker may still run after the main
// thread has let the splash go (the user closed it and the launcher is ending); once detached,
// every request through the link is dropped instead of reaching a window that is gone.
#pragma once

#include <mutex>
#include <string>

class SplashDlg;

class SplashLink {
  public:
    // Main thread: the splash the worker may reach from now on, or none.
    void attach(SplashDlg* splash);
    void detach() { attach(nullptr); }
    // Any thread: shows the movie's failure notice / ends the splash's modal run.
    void failMess(const std::string& text);
    void close();

  private:
    std::mutex mutex_;
    SplashDlg* splash_ = nullptr;
};
