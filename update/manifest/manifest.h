// Reading and writing version manifests.
//
// Remote manifest: <anyroot><latest-ver> update-no, flash-no?, no, files? </latest-ver>, where
// every child of `files` is one file with `position`, `name`, `md5-code`, `length` and optionally
// `sha256` (64 lower-case hexadecimal digits; any other text fails the parse). The local
// manifest has the same elements directly under its root; the launcher writes it as
// <ver><no/><update-no/></ver>. Only element texts are read; see docs/update.md.
#pragma once

#include <chrono>
#include <string>

#include "update/config/server_config.h"
#include "update/manifest/version_info.h"
#include "update/xml/xml_element.h"

namespace update {

// Fills `info` from the element holding update-no, flash-no, no and files, logging what it
// reads. On the first missing or malformed value it logs why and returns false, leaving the
// fields already read in place and `valid` false.
bool parseVersionInfo(const XmlElement& element, VersionInfo& info);

// Parses the text of a remote manifest into `info`: the body that `fetchRemoteVersion` fetches.
bool parseRemoteVersion(const std::string& text, VersionInfo& info);

// The whole fetch of the remote manifest (connecting, the head, the body) ends within this
// time, however the server sends: a manifest is small, and the launcher's start waits for it.
// The fetch of its signature has a deadline of its own, as long.
inline constexpr std::chrono::seconds kManifestDeadline{60};

// Fetches "version.xml" below `server.path` from the update server and parses it. Fails
// ("请求版本信息失败!") when no 2xx head arrives; a body cut by a failure, by the deadline or
// by `HttpClient::kMaxTextSize` fails to parse. When the configuration has a public key,
// also fetches "version.xml.sig" beside it and parses only a manifest whose exact bytes that key
// signed and whose every file lists a SHA-256; a key that does not decode, a body cut short, a
// signature that is missing, malformed or wrong fail the fetch before anything is parsed, each
// logged (see release_signature.h for the forms).
bool fetchRemoteVersion(const ServerConfig& server, VersionInfo& info);

// Loads and parses the local manifest; `info` is untouched when the file is missing or not XML.
bool loadLocalVersion(VersionInfo& info, const char* path = "version.xml");

// Replaces the local manifest with the version text and update number of `remote`.
bool saveLocalVersion(const VersionInfo& remote, const char* path = "version.xml");

// Only the update number decides: true when `remote` parsed completely and `local` has a lower
// update number.
bool needsUpdate(const VersionInfo& remote, const VersionInfo& local);

}  // namespace update
