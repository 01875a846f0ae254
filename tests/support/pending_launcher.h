// A launcher waiting in "update/" for the swap, as a completed update run leaves it: the file
// and a receipt that lists it for an installed release.
#pragma once

#include <filesystem>
#include <string>

#include "tests/support/file_text.h"
#include "update/digest/md5.h"
#include "update/install/update_receipt.h"

namespace test_support {

// Writes `folder`/VexoClient.exe with `content` and a receipt vouching for it; with
// `installed` false its release's install has not completed yet.
inline void stagePendingLauncher(const std::string& folder, const std::string& content,
                                 bool installed = true) {
    std::filesystem::create_directories(folder);
    writeFile(folder + "/VexoClient.exe", content);
    Md5 digest;
    digest.addData(content.data(), content.size());
    update::startReceipt(
        7, {{"VexoClient.exe", static_cast<std::int64_t>(content.size()), digest.hexDigest(), ""}},
        folder);
    if (installed) update::markReceiptInstalled(folder);
}

}  // namespace test_support
