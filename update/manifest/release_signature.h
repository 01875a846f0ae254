// Ed25519 signatures of releases (libsodium): the public key an installation trusts, the
// detached signature of a remote manifest, and the text forms of both and of a secret key.
//
// Text forms, all base64 with the original alphabet and padding:
//   public key  32 bytes, 44 characters ("update.publicKey" in config.properties);
//   signature   64 bytes, 88 characters: the file "version.xml.sig", optionally ended by one
//               line break (LF or CR LF) and nothing else;
//   secret key  64 bytes (libsodium's form: the 32-byte seed, then the public key), 88 characters.
// Decoding accepts nothing else: no blanks, no other alphabet, no missing padding, no other length.
// Any thread may call any function.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace update {

using PublicKey = std::array<unsigned char, 32>;
using SecretKey = std::array<unsigned char, 64>;
using Signature = std::array<unsigned char, 64>;

struct KeyPair {
    PublicKey publicKey;
    SecretKey secretKey;
};

std::optional<PublicKey> decodePublicKey(std::string_view text);
std::string encodePublicKey(const PublicKey& key);

// The signature in the text of a signature file, or none when the text is not one.
std::optional<Signature> decodeSignature(std::string_view text);
// The text of a signature file: the base64 text and a line feed.
std::string encodeSignature(const Signature& signature);

// A secret key whose second half is the public key its seed gives, or none.
std::optional<SecretKey> decodeSecretKey(std::string_view text);
std::string encodeSecretKey(const SecretKey& key);

// Whether `signature` is `key`'s signature of exactly the bytes of `message`. False as well
// when libsodium cannot be initialised.
bool verifySignature(std::string_view message, const Signature& signature, const PublicKey& key);
Signature signMessage(std::string_view message, const SecretKey& key);
// A new key pair from the system's random source. Throws std::runtime_error when libsodium
// cannot be initialised.
KeyPair makeKeyPair();
PublicKey publicKeyOf(const SecretKey& key);

// Overwrites `bytes` with zeros in a way the compiler keeps.
void wipe(void* bytes, std::size_t size);

}  // namespace update
