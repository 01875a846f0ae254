#include <optional>
#include <string>

#include "common/console.h"
#include "update/config/server_config.h"
#include "update/http/http_client.h"
#include "update/manifest/manifest.h"
#include "update/manifest/release_signature.h"

namespace update {

namespace {

HttpTimeouts manifestTimeouts() {
    HttpTimeouts timeouts;
    timeouts.total = kManifestDeadline;
    return timeouts;
}

// A signature file is one line of 88 characters; anything far longer is not one.
constexpr std::size_t kMaxSignatureSize = 4096;

// The manifest's deadline, and gzip accepted: a web server shrinks the manifest's repetitive text
// to a fraction. It is read decoded, and its size limit holds for the decoded text.
void prepareTextFetch(HttpClient& client) {
    client.setTimeouts(manifestTimeouts());
    client.setAcceptGzip(true);
}

// The body of `name` below the server path byte for byte, zero bytes included, or none when
// the request or the transfer fails or the body grows past `limit`.
std::optional<std::string> fetchExactBody(const ServerConfig& server, const std::string& name,
                                          std::size_t limit) {
    HttpClient client(server.host, server.port, server.path + name);
    prepareTextFetch(client);
    if (!client.open()) return std::nullopt;
    std::string body;
    char block[HttpClient::kBlockSize];
    for (long count; (count = client.read(block, sizeof block)) != 0;) {
        if (count < 0 || body.size() + static_cast<std::size_t>(count) > limit) return std::nullopt;
        body.append(block, static_cast<std::size_t>(count));
    }
    return body;
}

// Whether the server's "version.xml.sig" is `key`'s signature of `manifest`.
bool isSignedBy(const ServerConfig& server, const std::string& manifest, const PublicKey& key) {
    const std::optional<std::string> text =
        fetchExactBody(server, "version.xml.sig", kMaxSignatureSize);
    if (!text) {
        consoleLog("请求版本签名失败!");
    } else if (const std::optional<Signature> signature = decodeSignature(*text); !signature) {
        consoleLog("version.xml.sig格式不对!");
    } else if (verifySignature(manifest, *signature, key)) {
        return true;
    }
    consoleLog("version.xml签名无效!");
    return false;
}

// A signed manifest checks every download by SHA-256, so each file must list one.
bool listsEverySha256(VersionInfo& info) {
    for (const FileEntry& entry : info.files) {
        if (!entry.sha256.empty()) continue;
        consoleLogf("fetchRemoteVersion:file without sha256 %s", entry.path);
        info.valid = false;
        return false;
    }
    return true;
}

// The manifest is parsed only after its signature held, from exactly the bytes it covers: a
// zero byte is kept, so the parse refuses such a text instead of reading less than was signed.
bool fetchSignedVersion(const ServerConfig& server, const std::string& keyText, VersionInfo& info) {
    const std::optional<PublicKey> key = decodePublicKey(keyText);
    if (!key) {
        consoleLog("update.publicKey格式不对!");
        return false;
    }
    const std::optional<std::string> manifest =
        fetchExactBody(server, "version.xml", HttpClient::kMaxTextSize);
    if (!manifest) {
        consoleLog("请求版本信息失败!");
        return false;
    }
    return isSignedBy(server, *manifest, *key) && parseRemoteVersion(*manifest, info) &&
           listsEverySha256(info);
}

}  // namespace

bool fetchRemoteVersion(const ServerConfig& server, VersionInfo& info) {
    if (server.publicKey) return fetchSignedVersion(server, *server.publicKey, info);
    HttpClient client(server.host, server.port, server.path + "version.xml");
    prepareTextFetch(client);
    if (!client.open()) {
        consoleLog("请求版本信息失败!");
        return false;
    }
    return parseRemoteVersion(client.readToString(), info);
}

}  // namespace update
