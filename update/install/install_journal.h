// The install of a staged release as one unit: every verified file of "update/" moved over the
// installation, the local manifest advanced, the receipt marked installed.
//
// Before the first file moves, the journal "update/.vexo-journal" records what the install is
// to do; it is written whole and synced, and removed only when everything it lists is done. A
// start that finds one completes it (`rollForwardJournal`) before anything else reads the
// installation, so that after a kill or a power cut at any moment the installation's files are
// those of the old release or, once the journal exists, those of the new one, never a mix.
//
//     vexo-journal 1 <update-no> <1: advance the local manifest, 0: leave it>
//     version <version text, "%" and control characters as %XX>
//     file <length> <md5> <sha256 or -> <name>      one line per file to move
//     end
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "update/install/update_receipt.h"

namespace update {

struct InstallJournal {
    std::int32_t updateNo = 0;
    std::string versionText;
    bool advanceVersion = false;    // write the local manifest with updateNo and versionText
    std::vector<StagedFile> files;  // moved from "update/" + name to name
};

// Writes the journal and carries it out. False when it could not be written (nothing moved)
// or a file could not be put in place (the journal stays for the next start to finish).
bool installWithJournal(const InstallJournal& journal);

// Completes a journal an interrupted install left, if there is one. A file already moved is
// recognised by its digests; a journal that does not read, or lists a file that is neither
// staged nor installed whole, is dropped without moving anything more (logged).
void rollForwardJournal();

// Writes the local manifest for the journal's release when it is to be advanced.
bool advanceLocalVersion(const InstallJournal& journal);

std::string journalText(const InstallJournal& journal);
std::optional<InstallJournal> parseJournal(const std::string& text);

}  // namespace update
