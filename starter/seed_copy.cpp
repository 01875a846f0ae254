#include "starter/seed_copy.h"

#include <fcntl.h>
#include <unistd.h>

#include <system_error>

namespace starter {
namespace fs = std::filesystem;
namespace {

std::string failure(const std::string& what, const fs::path& path, const std::error_code& error) {
    return what + " " + path.string() + ": " + error.message();
}

// The owner may update and remove what the starter copied; nobody else may write it.
fs::perms copiedPermissions(fs::perms seed) {
    return (seed & (fs::perms::owner_exec | fs::perms::group_read | fs::perms::group_exec |
                    fs::perms::others_read | fs::perms::others_exec)) |
           fs::perms::owner_read | fs::perms::owner_write;
}

std::string copyEntry(const fs::directory_entry& entry, const fs::path& target) {
    std::error_code error;
    const fs::file_status status = entry.symlink_status(error);
    if (error) return failure("cannot read", entry.path(), error);
    if (fs::is_symlink(status)) {
        fs::copy_symlink(entry.path(), target, error);
        return error ? failure("cannot copy the link", entry.path(), error) : "";
    }
    if (fs::is_directory(status)) {
        fs::create_directory(target, error);
    } else if (fs::is_regular_file(status)) {
        fs::copy_file(entry.path(), target, fs::copy_options::none, error);
    } else {
        return "not a file or folder: " + entry.path().string();
    }
    if (error) return failure("cannot copy", entry.path(), error);
    fs::permissions(target, copiedPermissions(status.permissions()), error);
    return error ? failure("cannot set the permissions of", target, error) : "";
}

std::string flush(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return failure("cannot open", folder, {errno, std::generic_category()});
    const bool synced = ::syncfs(fd) == 0;
    const int cause = errno;
    ::close(fd);
    return synced ? "" : failure("cannot write out", folder, {cause, std::generic_category()});
}

}  // namespace

std::string copySeed(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::recursive_directory_iterator it(from, error), end;
    if (error) return failure("cannot read", from, error);
    for (; it != end; it.increment(error)) {
        if (std::string problem = copyEntry(*it, to / it->path().lexically_relative(from));
            !problem.empty()) {
            return problem;
        }
    }
    if (error) return failure("cannot read", from, error);
    return flush(to);
}

}  // namespace starter
