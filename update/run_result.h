// What an update run came to: the caller decides what the user is told.
#pragma once

namespace update {

// Only `installed` changed the installation; every other result left it as it was
// (docs/update.md tells what each leaves in "update/").
enum class RunResult {
    installed,
    olderRelease,        // the release is older than the installed one
    noUpdateFolder,      // "update" or "update/Plus" is not a folder and cannot be made one
    unfinishedInstall,   // the journal of an earlier install is still there
    notStaged,           // the receipt of the update folder could not be begun
    downloadNotStarted,  // the download thread could not be started
    notDownloaded,       // a due file did not arrive whole and verified
    notInstalled,        // moving the files over the installation or the manifest failed
};

}  // namespace update
