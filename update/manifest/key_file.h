// The publisher's secret key file: the text form of an Ed25519 secret key (release_signature.h)
// and a line feed, readable by its owner only. Used by vexo-keygen and vexo-make-manifest --sign.
#pragma once

#include <string>

#include "update/manifest/release_files.h"
#include "update/manifest/release_signature.h"

namespace update {

// Creates the file `path` with mode 0600 holding `key`. Never replaces anything: an existing
// entry of that name (a file, a link, even a dangling one) is refused. Throws `ReleaseError`
// naming the path on any failure, after removing what it created.
void createSecretKeyFile(const std::string& path, const SecretKey& key);

// The key in the file `path`, and with `mark` how that file is recognized in a release, from the
// same open of it. Throws `ReleaseError` naming the path when the file cannot be read, is not a
// regular file, may be read or written by anyone but its owner, or does not hold one well-formed
// key.
SecretKey readSecretKeyFile(const std::string& path, FileMark* mark = nullptr);

}  // namespace update
