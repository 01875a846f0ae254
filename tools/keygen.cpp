// vexo-keygen <secret key file>: makes an Ed25519 key pair for signing releases, stores the
// secret key in a new file of mode 0600 (never over an existing one) and prints the line that
// gives an installation the public key, for its config.properties (docs/update.md).
#include <cstdio>
#include <exception>

#include "update/manifest/key_file.h"

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0' || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s <secret key file>\n", argv[0]);
        return 2;
    }
    try {
        update::KeyPair pair = update::makeKeyPair();
        update::createSecretKeyFile(argv[1], pair.secretKey);
        update::wipe(pair.secretKey.data(), pair.secretKey.size());
        std::printf("update.publicKey=%s\n", update::encodePublicKey(pair.publicKey).c_str());
        return std::fflush(stdout) == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
}
