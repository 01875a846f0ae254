// An Xvfb server of the test process's own. Xvfb picks a free display number itself
// (-displayfd), so test processes running side by side never share a display or race for one,
// and nothing a test does (moving the pointer, typing) reaches a person's real screen.
#pragma once

#include <sys/types.h>

#include <string>

namespace gtk_test {

class PrivateXServer {
  public:
    // Starts the server and points DISPLAY at it; display() is empty when it did not start.
    PrivateXServer();
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    const std::string& display() const { return display_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace gtk_test
