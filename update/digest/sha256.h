// SHA-256, the strong digest a manifest may list beside the MD5 of each file. Computed by
// OpenSSL's EVP interface, which uses the processor's SHA instructions where it has them.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

struct evp_md_ctx_st;

// The digest state of one message: feed it with addData, then read hexDigest once.
class Sha256 {
  public:
    // Throws std::bad_alloc when OpenSSL cannot set up the state.
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void addData(const void* data, std::size_t count);
    // The 32 digest bytes as 64 lower-case hexadecimal digits. Ends the object's use.
    std::string hexDigest();

  private:
    evp_md_ctx_st* context_;
};

// The digest of a text in one call, as Sha256::hexDigest gives it.
std::string sha256Of(const std::string& message);

// The digest of the file at `path`, read as readFileForDigest reads it (and throwing as it does).
std::string sha256OfFile(const std::string& path);
