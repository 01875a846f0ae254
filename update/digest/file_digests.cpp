#include "update/digest/file_digests.h"

#include <optional>

#include "update/digest/file_read.h"
#include "update/digest/md5.h"
#include "update/digest/sha256.h"

FileDigests digestFile(const std::string& path, bool withSha256) {
    Md5 md5;
    std::optional<Sha256> sha256;
    if (withSha256) sha256.emplace();
    readFileForDigest(path, [&](const char* block, std::size_t count) {
        md5.addData(block, count);
        if (sha256) sha256->addData(block, count);
    });
    return {md5.hexDigest(), sha256 ? sha256->hexDigest() : std::string()};
}

std::string sha256OfFile(const std::string& path) {
    Sha256 digest;
    readFileForDigest(path,
                      [&](const char* block, std::size_t count) { digest.addData(block, count); });
    return digest.hexDigest();
}
