#include "update/install/download_thread.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "common/console.h"
#include "update/install/file_tree.h"
#include "update/install/update_receipt.h"
#include "update/manifest/manifest_path.h"

namespace fs = std::filesystem;

namespace update {

namespace {

std::string stagedPath(const FileEntry& entry) { return "update/" + localName(entry.name); }
std::string partialPath(const FileEntry& entry) { return stagedPath(entry) + kPartialSuffix; }

// Programs arrive without the execute permission that HTTP cannot carry: a download takes the
// mode of the file it will replace, and a new file whose content starts like a program (an ELF
// image or a script) is made executable.
void giveInstalledMode(const std::string& download, const std::string& installed) {
    struct stat info {};
    if (::stat(installed.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        ::chmod(download.c_str(), info.st_mode & 0777);
        return;
    }
    char head[4] = {};
    if (std::FILE* file = std::fopen(download.c_str(), "rbe")) {
        const std::size_t count = std::fread(head, 1, sizeof head, file);
        std::fclose(file);
        const std::string_view start(head, count);
        const bool program = start.starts_with(
                                 "\x7f"
                                 "ELF") ||
                             start.starts_with("#!");
        ::chmod(download.c_str(), program ? 0755 : 0644);
    }
}

// The folders of `path` below "update" as plain folders, and nothing at `path` itself: a link
// or a pipe in the update folder, planted or left behind, is removed rather than written
// through (a link to a folder, a file or a hard link would put the download outside the
// installation, a pipe would hold the run for ever).
bool preparePlaceOf(const std::string& path) {
    fs::path folder;
    for (const fs::path& part : fs::path(path).parent_path()) {
        folder /= part;
        std::error_code error;
        const fs::file_status status = fs::symlink_status(folder, error);
        if (fs::is_directory(status)) continue;
        if (fs::is_symlink(status)) fs::remove(folder, error);
        if (!fs::create_directory(folder, error)) return false;
    }
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    return fs::is_directory(status) || !fs::exists(status) || fs::remove(path, error);
}

// The length of a partial download that can be resumed: a plain regular file of the update
// folder (one name only: a hard link would let the rest go elsewhere), shorter than the
// listed file. 0 when there is none.
std::int64_t resumableLength(const std::string& path, std::int64_t listed) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1) {
        return 0;
    }
    return info.st_size > 0 && info.st_size < listed ? info.st_size : 0;
}

}  // namespace

bool DownloadProgress::onProgress(HttpClient&, std::int64_t total, int) {
    if (total <= entry_->length) return true;
    tooLong_ = true;
    return false;
}

void DownloadProgress::onStored(const char*, int blockSize) { stored_ += blockSize; }

DownloadThread::~DownloadThread() {
    // `run` reads this object's members: it must be over before they go.
    join();
}

int DownloadThread::run(std::int32_t) {
    const std::vector<FileEntry>& files = remote_->files;
    DigestPool digests(DigestPool::defaultThreads());
    // The installed files are digested ahead; downloads stay one at a time, in list order.
    for (const FileEntry& entry : files) {
        digests.addInstalled(localName(entry.name), entry, known_);
    }
    for (std::size_t index = 0; index < files.size(); ++index) {
        const FileEntry& entry = files[index];
        if (!skipName_.empty() && entry.name == skipName_) continue;
        if (digests.matches(index)) continue;
        if (staged_.count(localName(entry.name))) {
            verified_.insert(entry.name);
            continue;
        }
        if (!download(entry, digests)) ++failed_;
    }
    for (const Stored& stored : stored_) decide(stored, digests);
    for (std::size_t index = 0; index < files.size(); ++index) {
        if (std::optional<CachedDigests> record = digests.record(index)) {
            checked_.files[localName(files[index].name)] = std::move(*record);
        }
    }
    return 0;
}

bool DownloadThread::download(const FileEntry& entry, DigestPool& digests) {
    if (!isContainedPath(entry.name, false) || !isContainedPath(entry.position, true) ||
        isReservedStagingName(localName(entry.name))) {
        consoleLogf("DownloadThread::run:refused %s", entry.path);
        return false;
    }
    const std::string local = partialPath(entry);
    const std::int64_t offset = resumableLength(local, entry.length);
    if (offset > 0 && fetch(entry, offset, digests) != Fetch::refusedRange) return !failedNow_;
    if (!preparePlaceOf(local)) {
        consoleLogf("DownloadThread::run:cannot create the folder of %s", local);
        return false;
    }
    fetch(entry, 0, digests);
    return !failedNow_;
}

// Fetches `entry` into its partial file, from `offset` on when that is not 0 and the server
// sends only the rest. A transfer that fails keeps what arrived, to be resumed; a body that is
// not the listed length is removed.
DownloadThread::Fetch DownloadThread::fetch(const FileEntry& entry, std::int64_t offset,
                                            DigestPool& digests) {
    failedNow_ = true;
    const std::string local = partialPath(entry);
    DownloadProgress progress(this, &entry);
    HttpClient client(server_.host, server_.port, server_.path + entry.path, &progress);
    client.setTimeouts(timeouts_.value_or(downloadTimeouts(entry.length)));
    client.setResumeFrom(offset);
    if (!client.open()) {
        const bool refused =
            offset > 0 && (client.statusCode() == 206 || client.statusCode() == 416);
        return refused ? Fetch::refusedRange : Fetch::done;
    }
    progress.startAt(client.resumed() ? offset : 0);
    const bool stored = client.readToFile(local);
    if (stored && progress.hasListedLength()) {
        // The disk takes the file while the next one arrives, not all of them in the install's
        // sync.
        startWritingOut(local);
        stored_.push_back({&entry, digests.add(local, entry, DigestRead::both)});
        Thread::sleep(1);
        failedNow_ = false;
        return Fetch::done;
    }
    if (stored || progress.tooLong()) {
        ::unlink(local.c_str());
        consoleLogf("DownloadThread::run:digest mismatch %s", stagedPath(entry));
    }
    return Fetch::done;
}

// A download gets its name only when it is the listed file to the byte, and counts as staged
// only once the receipt lists it.
void DownloadThread::decide(const Stored& stored, DigestPool& digests) {
    const FileEntry& entry = *stored.entry;
    const std::string partial = partialPath(entry);
    const std::string staged = stagedPath(entry);
    if (!digests.matches(stored.digest)) {
        ::unlink(partial.c_str());
        consoleLogf("DownloadThread::run:digest mismatch %s", staged);
        ++failed_;
        return;
    }
    giveInstalledMode(partial, localName(entry.name));
    if (!preparePlaceOf(staged) || ::rename(partial.c_str(), staged.c_str()) != 0 ||
        !appendToReceipt(stagedFileOf(entry))) {
        ::unlink(partial.c_str());
        ::unlink(staged.c_str());
        consoleLogf("DownloadThread::run:cannot stage %s", staged);
        ++failed_;
        return;
    }
    verified_.insert(entry.name);
}

}  // namespace update
