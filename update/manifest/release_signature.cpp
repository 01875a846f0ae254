#include "update/manifest/release_signature.h"

#include <sodium.h>

#include <stdexcept>
#include <vector>

#include "update/manifest/sodium_ready.h"

namespace update {

namespace {

constexpr int kVariant = sodium_base64_VARIANT_ORIGINAL;

template <std::size_t N>
std::string encode(const std::array<unsigned char, N>& bytes) {
    std::vector<char> text(sodium_base64_ENCODED_LEN(N, kVariant));
    sodium_bin2base64(text.data(), text.size(), bytes.data(), N, kVariant);
    return std::string(text.data());
}

// Exactly N bytes, from a text that is their padded base64 and nothing more.
template <std::size_t N>
std::optional<std::array<unsigned char, N>> decode(std::string_view text) {
    if (text.size() != sodium_base64_ENCODED_LEN(N, kVariant) - 1) return std::nullopt;
    std::array<unsigned char, N> bytes{};
    std::size_t length = 0;
    const char* end = nullptr;
    if (sodium_base642bin(bytes.data(), N, text.data(), text.size(), nullptr, &length, &end,
                          kVariant) != 0 ||
        length != N || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return bytes;
}

std::string_view withoutLineBreak(std::string_view text) {
    if (text.ends_with("\r\n")) return text.substr(0, text.size() - 2);
    if (text.ends_with('\n')) return text.substr(0, text.size() - 1);
    return text;
}

}  // namespace

std::optional<PublicKey> decodePublicKey(std::string_view text) { return decode<32>(text); }

std::string encodePublicKey(const PublicKey& key) { return encode(key); }

std::optional<Signature> decodeSignature(std::string_view text) {
    return decode<64>(withoutLineBreak(text));
}

std::string encodeSignature(const Signature& signature) { return encode(signature) + "\n"; }

std::optional<SecretKey> decodeSecretKey(std::string_view text) {
    std::optional<SecretKey> key = decode<64>(text);
    if (!key || !sodiumReady()) return std::nullopt;
    PublicKey derived{};
    SecretKey again{};
    crypto_sign_seed_keypair(derived.data(), again.data(), key->data());
    const bool consistent = sodium_memcmp(again.data(), key->data(), again.size()) == 0;
    wipe(again.data(), again.size());
    if (consistent) return key;
    wipe(key->data(), key->size());
    return std::nullopt;
}

std::string encodeSecretKey(const SecretKey& key) { return encode(key); }

bool verifySignature(std::string_view message, const Signature& signature, const PublicKey& key) {
    return sodiumReady() &&
           crypto_sign_verify_detached(signature.data(),
                                       reinterpret_cast<const unsigned char*>(message.data()),
                                       message.size(), key.data()) == 0;
}

Signature signMessage(std::string_view message, const SecretKey& key) {
    Signature signature{};
    crypto_sign_detached(signature.data(), nullptr,
                         reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                         key.data());
    return signature;
}

KeyPair makeKeyPair() {
    if (!sodiumReady()) throw std::runtime_error("libsodium cannot be initialised");
    KeyPair pair{};
    crypto_sign_keypair(pair.publicKey.data(), pair.secretKey.data());
    return pair;
}

PublicKey publicKeyOf(const SecretKey& key) {
    PublicKey publicKey{};
    crypto_sign_ed25519_sk_to_pk(publicKey.data(), key.data());
    return publicKey;
}

void wipe(void* bytes, std::size_t size) { sodium_memzero(bytes, size); }

}  // namespace update
