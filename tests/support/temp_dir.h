// Temporary folders of tests.
#pragma once

#include <filesystem>
#include <string>

namespace test_support {

// A fresh directory under the system's temporary directory, removed by the destructor.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Makes a fresh temporary directory the current directory until destroyed.
class InTempDir {
  public:
    InTempDir() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir_.path());
    }
    ~InTempDir() { std::filesystem::current_path(previous_); }
    InTempDir(const InTempDir&) = delete;
    InTempDir& operator=(const InTempDir&) = delete;
    const TempDir& dir() const { return dir_; }

  private:
    TempDir dir_;
    std::filesystem::path previous_;
};

}  // namespace test_support
