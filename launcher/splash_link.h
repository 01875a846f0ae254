// The start-up worker's way to the splash window. The worker starts before the splash exists
// (the window system is still starting) and may still run after the main thread has let the
// splash go (the user closed it and the launcher is ending). What it asks for before the splash
// is attached is kept and reaches the splash when it is, in the order asked; once detached,
// every request is dropped instead of reaching a window that is gone.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

class SplashDlg;

class SplashLink {
  public:
    // Main thread, once: the splash the worker reaches from now on, given the requests kept
    // until now. Before its modal run, so that a close among them ends the run at once.
    void attach(SplashDlg* splash);
    // Main thread: the splash goes; requests from now on are dropped.
    void detach();
    // Any thread: shows the movie's failure notice / ends the splash's modal run.
    void failMess(const std::string& text);
    void close();

  private:
    using Request = std::function<void(SplashDlg&)>;
    void ask(Request request);

    std::mutex mutex_;
    enum class State { waiting, attached, detached } state_ = State::waiting;
    SplashDlg* splash_ = nullptr;
    std::vector<Request> kept_;
};
