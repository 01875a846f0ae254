// Keeping "update/" to what its receipt vouches for (update_receipt.h). A file there gets its
// name only once verified; everything else the folder may hold (a download cut by a crash, a
// file of another release, something planted) is removed before it can be installed or run.
// Links and other special files are removed, never followed; folders stay.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "update/install/update_receipt.h"
#include "update/manifest/version_info.h"

namespace update {

// At the launcher's start, before anything else uses the folder: completes an install journal
// an interrupted run left (install_journal.h), then removes every file the receipt does not
// list or that no longer has the digests it lists. Downloads still arriving (their partial
// files) are kept while the receipt's release is not installed, to be resumed.
void recoverUpdateFolder();

// With a publisher's key the signed manifest says which release is current: a receipt of
// another one is void, and the files staged under it are removed with it.
void dropStagingOfOtherRelease(std::int32_t updateNo);

// The start of a run for `remote`: files already staged for the same update number with the
// content `remote` lists stay (and partial downloads of its files), everything else goes, and
// the receipt starts anew for `remote`. Returns the staged files kept; none when the receipt
// cannot be written (then nothing may be staged).
std::optional<std::vector<StagedFile>> beginStaging(const VersionInfo& remote);

// After an install: only the receipt and the pending launcher `launcher` (when the receipt
// lists it) stay.
void keepOnlyPendingLauncher(const std::string& launcher);

}  // namespace update
