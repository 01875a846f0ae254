#include "update/update_manager.h"

#include <unistd.h>

#include <filesystem>

#include "common/console.h"
#include "platform/message_box.h"
#include "update/download_thread.h"
#include "update/file_check.h"
#include "update/file_tree.h"
#include "update/manifest.h"
#include "update/manifest_path.h"

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
    if (fs::create_directory(path, error) && !error) return true;
    platform::AfxMessageBox("创建目录失败，请重新运行程序试试!", platform::MB_OK);
    return false;
}

// What an earlier run left in "update" under a listed name is installed only when it is that
// file whole: a download cut by a crash or a file of an older release is removed instead.
bool discardStaleDownloads(const VersionInfo& remote, const std::set<std::string>& verified) {
    for (const FileEntry& entry : remote.files) {
        if (verified.count(entry.name) || !isContainedPath(entry.name, false)) continue;
        const std::string path = "update/" + localName(entry.name);
        std::error_code error;
        if (!fs::is_regular_file(fs::symlink_status(path, error)) ||
            isListedFile(path, entry, DigestRead::both)) {
            continue;
        }
        consoleLogf("UpdateManager::runUpdate:stale download removed %s", path);
        if (::unlink(path.c_str()) != 0) return false;
    }
    return true;
}

}  // namespace

bool UpdateManager::loadVersions() {
    if (!fetchRemoteVersion(remote_)) return false;
    loadLocalVersion(local_);
    return true;
}

bool UpdateManager::needsUpdate() const { return update::needsUpdate(remote_, local_); }

bool UpdateManager::runUpdate() {
    if (!ensureFolder("update") || !ensureFolder("update/Plus")) return false;
    const std::string skipName =
        needFlashInstall(requiredFlashVersion()) ? std::string() : kFlashInstallerName;
    DownloadThread downloads(this, skipName);
    if (!downloads.start(0)) {
        consoleLog("UpdateManager::runUpdate:cannot start the download");
        return false;
    }
    downloads.join();
    const int failed = downloads.failedCount();
    if (failed > 0) consoleLogf("UpdateManager::runUpdate:files not downloaded:%d", failed);
    if (!discardStaleDownloads(remote_, downloads.verifiedNames())) return false;
    // The downloads reach the disk before they replace anything, so not even a power cut
    // leaves an installed file cut short.
    if (!syncFileSystemOf("update")) consoleLog("UpdateManager::runUpdate:cannot sync update");
    if (!copyDirectory("update", ".", kLauncherName)) return false;
    return deleteFiles("update", kLauncherName) && failed == 0;
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
