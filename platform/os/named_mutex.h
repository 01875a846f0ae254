// A named mutex shared by this user's processes (CreateMutex with a name). It exists while a
// process holds it and is released when that process ends, however it ends; programs started
// by the holder do not inherit it.
#pragma once

#include <memory>
#include <string>

namespace platform {

class NamedMutex {
  public:
    // Creates the mutex `name` (a file `name`.mutex in the runtime directory, never reached
    // through a link). alreadyExists() tells whether another process holds it
    // (ERROR_ALREADY_EXISTS); the object then holds nothing. Without a runtime directory, or
    // when the file cannot be made, the mutex is not shared and alreadyExists() is false.
    static std::unique_ptr<NamedMutex> create(const std::string& name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    bool alreadyExists() const { return alreadyExists_; }
    // Releases the mutex now (CloseHandle), so a program started next can take it.
    void close();

  private:
    NamedMutex(int fd, bool alreadyExists) : fd_(fd), alreadyExists_(alreadyExists) {}
    int fd_;
    bool alreadyExists_;
};

}  // namespace platform
