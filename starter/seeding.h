// Keeps a person's own installation of the client, which updates itself, in step with the
// read-only copy a system package installs: the copy seeds the installation on the first start
// and again when the package brings a release newer than the installation has.
//
// An installation is only ever renamed into place whole: two starters racing, a full disk or
// a kill midway leave either no installation or a whole one (the old one or the new one).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace starter {

struct SeedParams {
    std::filesystem::path seed;          // the package's copy; only read
    std::filesystem::path installation;  // the user's installation; its parent is created
};

enum class SeedOutcome {
    Current,   // the installation was whole and at least as new as the package's copy
    Seeded,    // there was none; now there is a copy of the package's
    Reseeded,  // the package's copy was newer and replaced it
};

struct SeedResult {
    SeedOutcome outcome = SeedOutcome::Current;
    // Non-empty when the installation could not be brought in step; it is then as it was.
    std::string error;
};

// Brings the installation in step with the seed. Starters of one user take turns through a
// lock file beside the installation; one that finds the lock taken says so on stderr and waits.
SeedResult seedInstallation(const SeedParams& params);

// The update number of the installation in `dir` when the starter can run it (the launcher
// and a version.xml with an update number are there), else none.
std::optional<std::int32_t> wholeInstallationNo(const std::filesystem::path& dir);
bool installationWhole(const std::filesystem::path& dir);

}  // namespace starter
