#include <gtest/gtest.h>

#include <string>

#include "update/manifest/release_signature.h"

namespace {

using namespace update;

TEST(ReleaseSignature, ASignatureHoldsForItsMessageAndKeyOnly) {
    const KeyPair pair = makeKeyPair();
    const KeyPair other = makeKeyPair();
    const std::string message = std::string("<root>\0tail", 11);
    const Signature signature = signMessage(message, pair.secretKey);
    EXPECT_TRUE(verifySignature(message, signature, pair.publicKey));
    EXPECT_EQ(publicKeyOf(pair.secretKey), pair.publicKey);
    EXPECT_FALSE(verifySignature(message, signature, other.publicKey));
    EXPECT_FALSE(verifySignature(message.substr(0, 6), signature, pair.publicKey))
        << "the bytes after a zero byte are signed too";
    std::string changed = message;
    changed[3] ^= 1;
    EXPECT_FALSE(verifySignature(changed, signature, pair.publicKey));
    Signature flipped = signature;
    flipped[63] ^= 0x10;
    EXPECT_FALSE(verifySignature(message, flipped, pair.publicKey));
}

TEST(ReleaseSignature, TextFormsReadBackAndNothingElseDecodes) {
    const KeyPair pair = makeKeyPair();
    const std::string key = encodePublicKey(pair.publicKey);
    ASSERT_EQ(key.size(), 44u);
    EXPECT_EQ(decodePublicKey(key), pair.publicKey);
    const Signature signature = signMessage("m", pair.secretKey);
    const std::string file = encodeSignature(signature);
    ASSERT_EQ(file.size(), 89u);
    EXPECT_EQ(file.back(), '\n');
    const std::string line = file.substr(0, 88);
    EXPECT_EQ(decodeSignature(file), signature);
    EXPECT_EQ(decodeSignature(line), signature) << "no line break";
    EXPECT_EQ(decodeSignature(line + "\r\n"), signature);
    EXPECT_EQ(decodeSecretKey(encodeSecretKey(pair.secretKey)), pair.secretKey);

    for (const std::string& bad :
         {std::string(), key.substr(0, 43), key.substr(0, 43) + "==", key + "A", " " + key,
          key.substr(0, 20) + " " + key.substr(21), key.substr(0, 43) + "-",
          std::string("AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=="),  // 31 bytes
          encodeSignature(signature).substr(0, 44)}) {
        EXPECT_FALSE(decodePublicKey(bad)) << '"' << bad << '"';
    }
    for (const std::string& bad : {std::string(), line.substr(0, 60), line.substr(0, 87),
                                   line + "\n\n", line + " ", line + "\r", "\n" + line, key}) {
        EXPECT_FALSE(decodeSignature(bad)) << '"' << bad << '"';
    }
    SecretKey mismatched = pair.secretKey;
    mismatched[40] ^= 1;  // the public half no longer belongs to the seed
    EXPECT_FALSE(decodeSecretKey(encodeSecretKey(mismatched)));
}

}  // namespace
