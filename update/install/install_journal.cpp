#include "update/install/install_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "common/console.h"
#include "platform/os/file_replace.h"
#include "update/install/file_tree.h"
#include "update/manifest/manifest.h"

namespace fs = std::filesystem;

namespace update {

namespace {

constexpr const char* kJournalPath = "update/.vexo-journal";
constexpr const char* kJournalHeader = "vexo-journal 1";

std::string escaped(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F && c != '%') {
            out += c;
        } else {
            out += {'%', kHex[byte >> 4], kHex[byte & 15]};
        }
    }
    return out;
}

std::optional<std::string> unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        unsigned value = 0;
        const char* first = text.data() + i + 1;
        if (i + 2 >= text.size() || std::from_chars(first, first + 2, value, 16).ptr != first + 2) {
            return std::nullopt;
        }
        out += static_cast<char>(value);
        i += 2;
    }
    return out;
}

// A rename reaches the disk only with its folder.
void syncFolder(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Whether `name` can take a new file: not a folder itself, and its nearest existing folder
// can be written. Checked for every file before the journal, so that nothing moves when one
// file certainly could not.
bool canReplace(const std::string& name) {
    std::error_code error;
    if (fs::is_directory(fs::symlink_status(name, error))) return false;
    fs::path folder = fs::path(name).parent_path();
    while (!folder.empty() && !fs::exists(folder, error)) folder = folder.parent_path();
    const std::string existing = folder.empty() ? "." : folder.string();
    return fs::is_directory(existing, error) && ::access(existing.c_str(), W_OK | X_OK) == 0;
}

bool moveIntoPlace(const StagedFile& file) {
    std::error_code error;
    const fs::path target(file.name);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), error);
    const std::string from = "update/" + file.name;
    if (::rename(from.c_str(), file.name.c_str()) == 0) return true;
    return errno == EXDEV && replaceFile(from, file.name);
}

enum class Step { done, cannotMove, lost };

// One file of a journal found at start: moved already, still staged, or lost.
Step finishFile(const StagedFile& file) {
    const std::string staged = "update/" + file.name;
    if (matchesStagedFile(staged, file)) return moveIntoPlace(file) ? Step::done : Step::cannotMove;
    return matchesStagedFile(file.name, file) ? Step::done : Step::lost;
}

bool complete(const InstallJournal& journal) {
    if (!advanceLocalVersion(journal)) {
        consoleLog("installWithJournal:cannot write version.xml");
        return false;
    }
    if (!markReceiptInstalled()) consoleLog("installWithJournal:cannot mark the receipt");
    syncFileSystemOf(".");
    return ::unlink(kJournalPath) == 0;
}

}  // namespace

bool advanceLocalVersion(const InstallJournal& journal) {
    if (!journal.advanceVersion) return true;
    VersionInfo version;
    version.updateNo = journal.updateNo;
    version.versionText = journal.versionText;
    return saveLocalVersion(version);
}

std::string journalText(const InstallJournal& journal) {
    std::string text = std::string(kJournalHeader) + " " + std::to_string(journal.updateNo) + " " +
                       (journal.advanceVersion ? "1" : "0") + "\nversion " +
                       escaped(journal.versionText) + "\n";
    for (const StagedFile& file : journal.files) text += stagedFileLine(file) + "\n";
    return text + "end\n";
}

std::optional<InstallJournal> parseJournal(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    InstallJournal journal;
    int advance = 0;
    if (!std::getline(lines, line)) return std::nullopt;
    std::istringstream head(line);
    std::string magic, format;
    if (!(head >> magic >> format >> journal.updateNo >> advance) ||
        magic + " " + format != kJournalHeader || (advance != 0 && advance != 1)) {
        return std::nullopt;
    }
    journal.advanceVersion = advance == 1;
    if (!std::getline(lines, line) || !line.starts_with("version ")) return std::nullopt;
    std::optional<std::string> versionText = unescaped(line.substr(8));
    if (!versionText) return std::nullopt;
    journal.versionText = *versionText;
    while (std::getline(lines, line)) {
        if (line == "end") return journal;
        std::optional<StagedFile> file = parseStagedFileLine(line);
        if (!file) return std::nullopt;
        journal.files.push_back(std::move(*file));
    }
    return std::nullopt;  // a journal without its end was never renamed into place whole
}

bool installWithJournal(const InstallJournal& journal) {
    for (const StagedFile& file : journal.files) {
        if (!canReplace(file.name)) {
            consoleLogf("copyDirectory:cannot replace ./%s", file.name);
            return false;
        }
    }
    // The staged files reach the disk before the journal that moves them, and the journal
    // before the first move.
    if (!syncFileSystemOf("update") ||
        !platform::replaceFileContent(kJournalPath, journalText(journal))) {
        consoleLog("installWithJournal:cannot write the journal");
        return false;
    }
    syncFolder("update");
    std::vector<StagedFile> files = journal.files;
    std::sort(files.begin(), files.end(),
              [](const StagedFile& a, const StagedFile& b) { return a.name < b.name; });
    for (const StagedFile& file : files) {
        if (!moveIntoPlace(file)) {
            consoleLogf("copyDirectory:cannot replace ./%s", file.name);
            return false;
        }
    }
    return complete(journal);
}

void rollForwardJournal() {
    struct stat info {};
    if (::lstat(kJournalPath, &info) != 0) return;
    std::optional<InstallJournal> journal;
    if (S_ISREG(info.st_mode) && info.st_size <= (64 << 20)) {
        std::ifstream in(kJournalPath, std::ios::binary);
        journal = parseJournal(std::string(std::istreambuf_iterator<char>(in), {}));
    }
    if (!journal) {
        consoleLog("rollForwardJournal:unreadable journal removed");
        ::unlink(kJournalPath);
        return;
    }
    for (const StagedFile& file : journal->files) {
        const Step step = finishFile(file);
        if (step == Step::cannotMove) {
            consoleLogf("rollForwardJournal:cannot replace %s", file.name);
            return;  // the journal stays: the next start tries again
        }
        if (step == Step::lost) {
            consoleLogf("rollForwardJournal:lost %s, journal dropped", file.name);
            ::unlink(kJournalPath);
            return;
        }
    }
    consoleLogf("rollForwardJournal:completed the install of update %d", journal->updateNo);
    complete(*journal);
}

}  // namespace update
