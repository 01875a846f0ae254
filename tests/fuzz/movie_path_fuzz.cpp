// Fuzzes the movie scheme's path resolution against the folder of a real movie that holds links
// out of it (to /, to its parent, to a file beside it), a link inside it, a named pipe and
// subdirectories. Whatever a URL path names, a file opened is a regular file inside the folder,
// reached exactly by the path's text, without a link.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "controls/core/movie_source.h"
#include "controls/webmovie/folder.h"
#include "controls/webmovie/served_files.h"

namespace {

using controls::webmovie::Folder;
using controls::webmovie::ServedPath;

void check(bool holds) {
    if (!holds) __builtin_trap();
}

struct Movie {
    std::string base;      // holds the folder and a secret beside it
    std::string folder;    // the movie's folder, as the host names it
    std::string realPath;  // the folder's real path
    Folder handle;
};

void writeFile(const std::string& path, const char* text) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    check(fd >= 0 && write(fd, text, std::strlen(text)) >= 0);
    close(fd);
}

Movie* makeMovie() {
    std::string base = std::filesystem::temp_directory_path() / "vexo-fuzz-movie.XXXXXX";
    check(mkdtemp(base.data()) != nullptr);
    const std::string folder = base + "/movie";
    check(mkdir(folder.c_str(), 0700) == 0 && mkdir((folder + "/sub").c_str(), 0700) == 0);
    check(mkdir((folder + "/sub/deeper").c_str(), 0700) == 0);
    writeFile(base + "/outside.txt", "secret");
    writeFile(folder + "/a.txt", "a");
    writeFile(folder + "/sub/b.js", "b");
    writeFile(folder + "/sub/deeper/c.css", "c");
    check(symlink("/", (folder + "/root").c_str()) == 0);
    check(symlink("..", (folder + "/up").c_str()) == 0);
    check(symlink((base + "/outside.txt").c_str(), (folder + "/out.txt").c_str()) == 0);
    check(symlink("sub", (folder + "/subalias").c_str()) == 0);
    check(mkfifo((folder + "/pipe").c_str(), 0600) == 0);
    char real[PATH_MAX];
    check(realpath(folder.c_str(), real) != nullptr);
    auto handle = Folder::open(folder);
    check(handle.has_value());
    return new Movie{base, folder, real, std::move(*handle)};
}

Movie& movie() {
    static Movie* made = [] {
        Movie* created = makeMovie();
        std::atexit([] { std::filesystem::remove_all(movie().base); });
        return created;
    }();
    return *made;
}

bool isPlainRelative(std::string_view path) {
    if (path.empty() || path.find('\0') != std::string_view::npos) return false;
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = std::min(path.find('/', start), path.size());
        std::string_view segment = path.substr(start, end - start);
        if (segment.empty() || segment == "." || segment == "..") return false;
        start = end + 1;
    }
    return true;
}

// Opens `relative` in the movie's folder and checks what it got.
void checkOpen(std::string_view relative) {
    int fd = movie().handle.openFile(relative);
    if (fd < 0) return;
    check(isPlainRelative(relative));
    struct stat info {};
    check(fstat(fd, &info) == 0 && S_ISREG(info.st_mode));
    char opened[PATH_MAX];
    std::string link = "/proc/self/fd/" + std::to_string(fd);
    ssize_t length = readlink(link.c_str(), opened, sizeof opened);
    check(length > 0);
    check(std::string_view(opened, length) == movie().realPath + "/" + std::string(relative));
    close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // A path without a leading '/' is taken below the folder, so that most inputs reach it.
    const std::string urlPath =
        input.starts_with('/') ? std::string(input)
                               : controls::encodeUrlPath(movie().folder) + "/" + std::string(input);
    const ServedPath path = controls::webmovie::resolveServedPath(urlPath, movie().folder);
    switch (path.kind) {
        case ServedPath::Kind::MovieFile:
            check(isPlainRelative(path.relative));
            checkOpen(path.relative);
            break;
        case ServedPath::Kind::RuffleFile:
            check(isPlainRelative(path.relative) && path.relative.find('/') == std::string::npos &&
                  !path.relative.starts_with('.'));
            break;
        default:
            check(path.relative.empty());
    }
    checkOpen(input);
    return 0;
}
