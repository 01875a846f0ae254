// The digest of a text in memory, as the tests of the digest code compare it.
#pragma once

#include <string>

#include "update/digest/md5.h"

namespace md5_test {

inline std::string md5Of(const std::string& message) {
    Md5 digest;
    digest.addData(message.data(), message.size());
    return digest.hexDigest();
}

}  // namespace md5_test
