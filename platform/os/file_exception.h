// The file error of the framework's file classes: thrown where an open, read or write of a
// file fails, and caught by the caller that decides what the failure means.
#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace platform {

class FileException : public std::runtime_error {
  public:
    // `error` is the errno value of the failed call.
    FileException(const std::string& path, int error)
        : std::runtime_error(path + ": " + std::generic_category().message(error)),
          path_(path),
          error_(error) {}

    const std::string& path() const { return path_; }
    int error() const { return error_; }

  private:
    std::string path_;
    int error_;
};

}  // namespace platform
