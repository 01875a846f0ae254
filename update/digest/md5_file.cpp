#include "update/digest/file_read.h"
#include "update/digest/md5.h"

std::string md5OfFile(const std::string& path) {
    Md5 digest;
    readFileForDigest(path,
                      [&](const char* block, std::size_t count) { digest.addData(block, count); });
    return digest.hexDigest();
}
