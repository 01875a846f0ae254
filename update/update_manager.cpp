#include "update/update_manager.h"

#include <filesystem>
#include <set>

#include "common/console.h"
#include "update/install/digest_cache.h"
#include "update/install/download_thread.h"
#include "update/install/install_journal.h"
#include "update/install/installed_check.h"
#include "update/install/update_folder.h"
#include "update/manifest/manifest.h"
#include "update/manifest/manifest_path.h"

namespace fs = std::filesystem;

namespace update {

namespace {

constexpr const char* kLauncherName = "VexoClient.exe";
constexpr const char* kFlashInstallerName = "Plus/install_flashplayer.exe";

// "update" and "update/Plus" must be folders; something else under either name is not one, and
// neither is a link: the run would download into, and then empty, whatever folder it leads to.
bool ensureFolder(const char* path) {
    std::error_code error;
    if (fs::is_directory(fs::symlink_status(path, error))) return true;
    return fs::create_directory(path, error) && !error;
}

// The verified files of a run, to be moved from "update/" over the installation: all but the
// launcher at the top, which waits there for the updater.
InstallJournal journalOf(const VersionInfo& remote, const VersionInfo& local,
                         const std::set<std::string>& verified) {
    InstallJournal journal;
    journal.updateNo = remote.updateNo;
    journal.versionText = remote.versionText;
    journal.advanceVersion = needsUpdate(remote, local);
    std::set<std::string> names;
    for (const FileEntry& entry : remote.files) {
        const std::string name = localName(entry.name);
        if (!verified.count(entry.name) || name == kLauncherName || !names.insert(name).second) {
            continue;
        }
        journal.files.push_back(stagedFileOf(entry));
    }
    return journal;
}

// Nothing to move: the local manifest alone is one atomic replacement, no journal needed.
RunResult finishWithoutFiles(const InstallJournal& journal) {
    if (!advanceLocalVersion(journal)) return RunResult::notInstalled;
    markReceiptInstalled();
    keepOnlyPendingLauncher(kLauncherName);
    return RunResult::installed;
}

}  // namespace

void UpdateManager::recover() { recoverUpdateFolder(); }

bool UpdateManager::loadVersions(const ServerConfig& server) {
    if (!fetchRemoteVersion(server, remote_)) return false;
    if (server.publicKey) dropStagingOfOtherRelease(remote_.updateNo);
    loadLocalVersion(local_);
    return true;
}

bool UpdateManager::needsUpdate() const { return update::needsUpdate(remote_, local_); }

RunResult UpdateManager::runUpdate(const ServerConfig& server, bool controlInstallerDue) {
    if (remote_.updateNo < local_.updateNo) {
        consoleLogf(
            "UpdateManager::runUpdate:update %d is older than the installed one, "
            "nothing installed",
            remote_.updateNo);
        return RunResult::olderRelease;
    }
    if (!ensureFolder("update") || !ensureFolder("update/Plus")) return RunResult::noUpdateFolder;
    if (std::filesystem::exists(std::filesystem::symlink_status("update/.vexo-journal"))) {
        consoleLog("UpdateManager::runUpdate:an earlier install is unfinished, nothing installed");
        return RunResult::unfinishedInstall;
    }
    const std::optional<std::vector<StagedFile>> staged = beginStaging(remote_);
    if (!staged) return RunResult::notStaged;
    std::set<std::string> stagedNames;
    for (const StagedFile& file : *staged) stagedNames.insert(file.name);
    const std::string skipName = controlInstallerDue ? std::string() : kFlashInstallerName;
    const DigestCache known = loadDigestCache();
    DownloadThread downloads(server, &remote_, timeouts_, skipName, std::move(stagedNames));
    downloads.useDigestCache(known);
    if (!downloads.start(0)) {
        consoleLog("UpdateManager::runUpdate:cannot start the download");
        return RunResult::downloadNotStarted;
    }
    downloads.join();
    DigestCache checked = downloads.checkedDigests();
    const RunResult result = install(downloads, checked);
    if (checked.files != known.files) saveDigestCache(std::move(checked));
    return result;
}

RunResult UpdateManager::install(const DownloadThread& downloads, DigestCache& checked) {
    if (const int failed = downloads.failedCount(); failed > 0) {
        consoleLogf("UpdateManager::runUpdate:files not downloaded:%d", failed);
        consoleLog("UpdateManager::runUpdate:nothing installed");
        return RunResult::notDownloaded;
    }
    const InstallJournal journal = journalOf(remote_, local_, downloads.verifiedNames());
    if (journal.files.empty()) return finishWithoutFiles(journal);
    if (!installWithJournal(journal)) {
        consoleLog("UpdateManager::runUpdate:install failed");
        return RunResult::notInstalled;
    }
    recordInstalled(journal.files, checked);
    keepOnlyPendingLauncher(kLauncherName);
    return RunResult::installed;
}

bool UpdateManager::writeLocalVersion() {
    if (!remote_.valid || !needsUpdate()) return false;
    return saveLocalVersion(remote_);
}

bool UpdateManager::isUpToDate(const std::string& name, const std::string& md5,
                               const std::string& sha256) const {
    FileEntry entry;
    entry.length = -1;
    entry.md5 = md5;
    entry.sha256 = sha256;
    return isListedFile(localName(name), entry, DigestRead::strongest);
}

}  // namespace update
