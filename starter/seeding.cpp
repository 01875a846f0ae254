#include "starter/seeding.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <system_error>

#include "starter/installation_version.h"
#include "starter/seed_copy.h"

namespace starter {
namespace fs = std::filesystem;
namespace {

constexpr const char* kLauncher = "VexoClient.exe";

std::string systemFailure(const std::string& what, const fs::path& path) {
    return what + " " + path.string() + ": " + std::system_category().message(errno);
}

// Holds the lock file beside the installation for as long as it lives; the lock goes with the
// process, so a killed starter never leaves it taken.
class SeedLock {
  public:
    explicit SeedLock(const fs::path& file) {
        fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0) {
            error_ = systemFailure("cannot open the lock file", file);
            return;
        }
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
        std::fprintf(stderr, "vexo-client: waiting for another start to finish setting up %s\n",
                     file.parent_path().c_str());
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                error_ = systemFailure("cannot lock", file);
                return;
            }
        }
    }
    ~SeedLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    SeedLock(const SeedLock&) = delete;
    SeedLock& operator=(const SeedLock&) = delete;
    const std::string& error() const { return error_; }

  private:
    int fd_ = -1;
    std::string error_;
};

// The hidden names beside the installation: ".client.lock", ".client.seed-XXXXXX" (a copy
// being made) and ".client.old-XXXXXX" (an installation being replaced).
std::string besideName(const fs::path& installation, const char* kind) {
    return "." + installation.filename().string() + "." + kind;
}

// Copies of a starter killed midway; only called under the lock, so none is still being made.
void removeLeftovers(const fs::path& installation) {
    const std::string seed = besideName(installation, "seed-");
    const std::string old = besideName(installation, "old-");
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(installation.parent_path(), error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(seed) || name.starts_with(old)) fs::remove_all(entry.path(), error);
    }
}

std::optional<fs::path> makeTemporaryFolder(const fs::path& installation, const char* kind) {
    std::string pattern =
        (installation.parent_path() / besideName(installation, kind)).string() + "XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) return std::nullopt;
    return fs::path(pattern);
}

bool needsSeed(const fs::path& installation, std::int32_t seedNo) {
    const std::optional<std::int32_t> installed = wholeInstallationNo(installation);
    return !installed || *installed < seedNo;
}

// Puts the whole copy at `installation`, in one rename when there is none yet, and in one
// exchange when there is (two renames on a file system without exchange, where a kill between
// them leaves no installation, which the next start seeds).
std::string moveIntoPlace(const fs::path& copy, const fs::path& installation) {
    if (::renameat2(AT_FDCWD, copy.c_str(), AT_FDCWD, installation.c_str(), RENAME_NOREPLACE) ==
        0) {
        return "";
    }
    if (errno != EEXIST) return systemFailure("cannot rename the copy to", installation);
    if (::renameat2(AT_FDCWD, copy.c_str(), AT_FDCWD, installation.c_str(), RENAME_EXCHANGE) == 0) {
        std::error_code ignored;
        fs::remove_all(copy, ignored);  // now the old installation
        return "";
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return systemFailure("cannot exchange the copy with", installation);
    }
    const auto old = makeTemporaryFolder(installation, "old-");
    if (!old) return systemFailure("cannot make a folder beside", installation);
    if (::rename(installation.c_str(), old->c_str()) != 0 ||
        ::rename(copy.c_str(), installation.c_str()) != 0) {
        return systemFailure("cannot move the copy to", installation);
    }
    std::error_code ignored;
    fs::remove_all(*old, ignored);
    return "";
}

SeedResult seedLocked(const SeedParams& params, std::int32_t seedNo) {
    removeLeftovers(params.installation);
    if (!needsSeed(params.installation, seedNo)) return {};  // another starter was quicker
    const bool existed = fs::exists(fs::symlink_status(params.installation));
    const auto copy = makeTemporaryFolder(params.installation, "seed-");
    if (!copy) {
        return {SeedOutcome::Current,
                systemFailure("cannot make a folder beside", params.installation)};
    }
    std::string error = copySeed(params.seed, *copy);
    if (error.empty()) error = moveIntoPlace(*copy, params.installation);
    if (!error.empty()) {
        std::error_code ignored;
        fs::remove_all(*copy, ignored);
        return {SeedOutcome::Current, error};
    }
    return {existed ? SeedOutcome::Reseeded : SeedOutcome::Seeded, ""};
}

std::string refuseUnusable(const fs::path& installation) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(installation, error);
    if (!fs::exists(status) || fs::is_directory(status)) return "";
    return installation.string() + " is not a folder: leaving it as it is";
}

}  // namespace

std::optional<std::int32_t> wholeInstallationNo(const fs::path& dir) {
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(dir, error)) ||
        !fs::is_regular_file(fs::symlink_status(dir / kLauncher, error))) {
        return std::nullopt;
    }
    return installedUpdateNo(dir);
}

bool installationWhole(const fs::path& dir) { return wholeInstallationNo(dir).has_value(); }

SeedResult seedInstallation(const SeedParams& params) {
    const std::optional<std::int32_t> seedNo = wholeInstallationNo(params.seed);
    if (!seedNo) {
        return {SeedOutcome::Current, "the package's copy in " + params.seed.string() +
                                          " is incomplete (no launcher or no version.xml)"};
    }
    if (std::string refusal = refuseUnusable(params.installation); !refusal.empty()) {
        return {SeedOutcome::Current, refusal};
    }
    if (!needsSeed(params.installation, *seedNo)) return {};
    std::error_code error;
    fs::create_directories(params.installation.parent_path(), error);
    if (error) {
        return {SeedOutcome::Current, "cannot make " + params.installation.parent_path().string() +
                                          ": " + error.message()};
    }
    SeedLock lock(params.installation.parent_path() / besideName(params.installation, "lock"));
    if (!lock.error().empty()) return {SeedOutcome::Current, lock.error()};
    return seedLocked(params, *seedNo);
}

}  // namespace starter
