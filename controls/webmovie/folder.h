// A movie's folder, from which the movie scheme serves files, and never from outside it. Every
// step of a path is opened relative to the directory before it, without following symbolic
// links: a link in the folder (link -> /) leads nowhere, and neither does a parent directory
// renamed or replaced after the folder was opened.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace controls::webmovie {

class Folder {
  public:
    // Opens the directory at `path`, following links in `path` itself: the folder is the one the
    // caller names, as it is now. nullopt when there is no directory there.
    static std::optional<Folder> open(const std::string& path);

    Folder(Folder&& other) noexcept;
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder();

    // Opens the regular file at `relative` below the folder, read-only: "a/b.png", segments
    // separated by '/', none of them empty, "." or "..", and no NUL. Returns -1 for anything
    // else, and for a missing file, a symbolic link anywhere on the way, a directory, a named
    // pipe, a socket or a device. Never blocks. The caller closes the descriptor (close-on-exec).
    int openFile(std::string_view relative) const;

    // The path the folder was opened by.
    const std::string& path() const { return path_; }

  private:
    Folder(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

    int fd_ = -1;  // O_PATH
    std::string path_;
};

}  // namespace controls::webmovie
