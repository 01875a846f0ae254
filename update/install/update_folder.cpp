#include "update/install/update_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <set>

#include "common/console.h"
#include "update/install/install_journal.h"
#include "update/manifest/manifest_path.h"

namespace fs = std::filesystem;

namespace update {

namespace {

constexpr const char* kFolder = "update";

// Decides for a file (any entry but a folder) by its name below "update/".
using Keep = std::function<bool(const std::string& name, bool regular)>;

// Visits every entry below `folder` without following links; removes the files `keep` refuses.
void prune(const std::string& folder, const std::string& prefix, const Keep& keep) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = prefix + it->path().filename().string();
        const fs::file_type type = it->symlink_status(error).type();
        if (type == fs::file_type::directory) {
            prune(it->path().string(), name + "/", keep);
        } else if (!keep(name, type == fs::file_type::regular)) {
            consoleLogf("UpdateManager::runUpdate:stale download removed update/%s", name);
            ::unlink(it->path().c_str());
        }
    }
}

std::string withoutPartialSuffix(const std::string& name) {
    return name.substr(0, name.size() - std::char_traits<char>::length(kPartialSuffix));
}

const FileEntry* entryNamed(const VersionInfo& remote, const std::string& name) {
    for (const FileEntry& entry : remote.files) {
        if (localName(entry.name) == name) return &entry;
    }
    return nullptr;
}

}  // namespace

void recoverUpdateFolder() {
    struct stat info {};
    if (::lstat(kFolder, &info) != 0 || !S_ISDIR(info.st_mode)) return;
    rollForwardJournal();
    const std::optional<Receipt> receipt = readReceipt();
    prune(kFolder, "", [&](const std::string& name, bool regular) {
        if (!regular) return false;
        if (name == kReceiptName || name == kJournalName || name == kDigestCacheName) return true;
        if (!receipt) return false;
        if (isPartialDownload(name)) return !receipt->installed;
        const StagedFile* file = receipt->find(name);
        return file && matchesStagedFile(std::string(kFolder) + "/" + name, *file);
    });
}

void dropStagingOfOtherRelease(std::int32_t updateNo) {
    const std::optional<Receipt> receipt = readReceipt();
    if (!receipt || receipt->updateNo == updateNo) return;
    consoleLogf("UpdateManager::loadVersions:receipt of update %d void", receipt->updateNo);
    prune(kFolder, "", [](const std::string& name, bool regular) {
        return regular && (name == kJournalName || name == kDigestCacheName);
    });
}

std::optional<std::vector<StagedFile>> beginStaging(const VersionInfo& remote) {
    const std::optional<Receipt> old = readReceipt();
    const bool sameRelease = old && old->updateNo == remote.updateNo;
    std::vector<StagedFile> kept;
    std::set<std::string> keptNames;
    if (sameRelease) {
        for (const StagedFile& file : old->files) {
            const FileEntry* entry = entryNamed(remote, file.name);
            if (!entry || !sameContent(file, *entry) || keptNames.count(file.name) ||
                !matchesStagedFile(std::string(kFolder) + "/" + file.name, file)) {
                continue;
            }
            kept.push_back(file);
            keptNames.insert(file.name);
        }
    }
    prune(kFolder, "", [&](const std::string& name, bool regular) {
        if (!regular) return false;
        if (name == kReceiptName || name == kDigestCacheName || keptNames.count(name)) return true;
        return sameRelease && !old->installed && isPartialDownload(name) &&
               entryNamed(remote, withoutPartialSuffix(name)) != nullptr;
    });
    if (!startReceipt(remote.updateNo, kept)) {
        consoleLog("UpdateManager::runUpdate:cannot write the receipt");
        return std::nullopt;
    }
    return kept;
}

void keepOnlyPendingLauncher(const std::string& launcher) {
    const std::optional<Receipt> receipt = readReceipt();
    const bool listed = receipt && receipt->find(launcher) != nullptr;
    prune(kFolder, "", [&](const std::string& name, bool regular) {
        return regular &&
               (name == kReceiptName || name == kDigestCacheName || (listed && name == launcher));
    });
}

}  // namespace update
