#include "update/install/update_receipt.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>

#include "platform/os/file_replace.h"
#include "update/config/decimal.h"
#include "update/digest/digest_text.h"
#include "update/digest/file_read.h"
#include "update/install/file_check.h"
#include "update/manifest/manifest_path.h"

namespace update {

namespace {

constexpr const char* kReceiptHeader = "vexo-receipt 1 ";
constexpr const char* kInstalledLine = "installed";
// A receipt lists at most the files of one manifest, whose XML is bounded far below this.
constexpr std::int64_t kMaxReceiptSize = 64 << 20;

std::string receiptPath(const std::string& folder) { return folder + "/" + kReceiptName; }

// The text of a regular file of at most kMaxReceiptSize bytes, never through a link; none
// otherwise.
std::optional<std::string> readSmallFile(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > kMaxReceiptSize) {
        return std::nullopt;
    }
    std::string text;
    try {
        readFileForDigest(path, [&](const char* data, std::size_t size) {
            if (text.size() + size > static_cast<std::size_t>(kMaxReceiptSize)) {
                throw std::length_error("receipt grew");
            }
            text.append(data, size);
        });
    } catch (...) {
        return std::nullopt;
    }
    return text;
}

bool appendLine(const std::string& folder, const std::string& line) {
    const int fd =
        ::open(receiptPath(folder).c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const std::string text = line + "\n";
    // One write: a crash leaves the line whole or cut, and a cut line ends the receipt.
    const ssize_t written = ::write(fd, text.data(), text.size());
    const bool closed = ::close(fd) == 0;
    return closed && written == static_cast<ssize_t>(text.size());
}

}  // namespace

const StagedFile* Receipt::find(const std::string& name) const {
    for (const StagedFile& file : files) {
        if (file.name == name) return &file;
    }
    return nullptr;
}

StagedFile stagedFileOf(const FileEntry& entry) {
    return {localName(entry.name), entry.length, entry.md5, entry.sha256};
}

bool sameContent(const StagedFile& file, const FileEntry& entry) {
    return file.length == entry.length && file.md5 == entry.md5 && file.sha256 == entry.sha256;
}

bool matchesStagedFile(const std::string& path, const StagedFile& file) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    FileEntry entry;
    entry.length = file.length;
    entry.md5 = file.md5;
    entry.sha256 = file.sha256;
    return isListedFile(path, entry, DigestRead::both);
}

bool isPartialDownload(const std::string& name) { return name.ends_with(kPartialSuffix); }

bool isReservedStagingName(const std::string& localName) {
    return localName == kReceiptName || localName == kJournalName ||
           localName == kDigestCacheName || isPartialDownload(localName);
}

std::string stagedFileLine(const StagedFile& file) {
    return "file " + std::to_string(file.length) + " " + file.md5 + " " +
           (file.sha256.empty() ? std::string("-") : file.sha256) + " " + file.name;
}

std::optional<StagedFile> parseStagedFileLine(const std::string& line) {
    std::istringstream fields(line);
    std::string kind, length, md5, sha256;
    if (!(fields >> kind >> length >> md5 >> sha256) || kind != "file") return std::nullopt;
    StagedFile file;
    if (fields.get() != ' ') return std::nullopt;
    std::getline(fields, file.name);
    if (!parseWholeNumber(length, file.length) || file.length < 0 || !isDigestText(md5, 32) ||
        (sha256 != "-" && !isDigestText(sha256, 64)) || !isContainedPath(file.name, false)) {
        return std::nullopt;
    }
    file.md5 = md5;
    if (sha256 != "-") file.sha256 = sha256;
    return file;
}

std::optional<Receipt> readReceipt(const std::string& folder) {
    const std::optional<std::string> text = readSmallFile(receiptPath(folder));
    if (!text) return std::nullopt;
    std::istringstream lines(*text);
    std::string line;
    Receipt receipt;
    if (!std::getline(lines, line) || !line.starts_with(kReceiptHeader) || lines.eof() ||
        !parseWholeNumber(line.substr(std::char_traits<char>::length(kReceiptHeader)),
                          receipt.updateNo)) {
        return std::nullopt;
    }
    // Only whole lines count: the last one may have been cut by a crash.
    while (std::getline(lines, line) && !lines.eof()) {
        if (line == kInstalledLine) {
            receipt.installed = true;
            continue;
        }
        std::optional<StagedFile> file = parseStagedFileLine(line);
        if (!file || receipt.installed) break;
        receipt.files.push_back(std::move(*file));
    }
    return receipt;
}

bool startReceipt(std::int32_t updateNo, const std::vector<StagedFile>& files,
                  const std::string& folder) {
    std::string text = kReceiptHeader + std::to_string(updateNo) + "\n";
    for (const StagedFile& file : files) text += stagedFileLine(file) + "\n";
    // Not synced: a receipt lost with a power cut only makes the next start remove the files it
    // listed, and the install syncs everything before its journal.
    return platform::replaceFileContent(receiptPath(folder), text, false);
}

bool appendToReceipt(const StagedFile& file, const std::string& folder) {
    return appendLine(folder, stagedFileLine(file));
}

bool markReceiptInstalled(const std::string& folder) { return appendLine(folder, kInstalledLine); }

}  // namespace update
