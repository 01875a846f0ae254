// The update run: brings the installation directory (the current directory) to the version the
// remote manifest describes.
//
// Calling order, on one worker thread: `loadVersions`; then `needsUpdate` (and the caller's test
// of the movie control against the `flash-no` of `remote`); when either asks for it, `runUpdate`,
// and after a successful run `writeLocalVersion`. The manifests are filled by `loadVersions` and
// only read afterwards, also by the download thread that `runUpdate` starts and joins.
//
// `runUpdate` downloads, one file at a time in list order, every listed file whose installed
// copy lacks the listed MD5 (the listed SHA-256, when the entry has one) into "update/"
// (keeping its relative path, folders created), keeps a download only when its length and
// digests equal the manifest's, and then installs the content of "update/" over the
// installation, all but the top-level "VexoClient.exe", each file replaced atomically. See
// docs/update.md for every failure and what it leaves behind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "update/config/server_config.h"
#include "update/http/curl_transfer.h"
#include "update/manifest/version_info.h"
#include "update/run_result.h"

class SplashDlg;

namespace update {
class DownloadThread;
struct DigestCache;
}  // namespace update

namespace update {

class UpdateManager {
  public:
    // At start, before anything else uses "update/": finishes an interrupted install and
    // removes what the receipt does not vouch for (update_folder.h).
    void recover();
    // Fetches and parses the remote manifest from `server`; only when that succeeds reads the
    // local one (a missing or broken local manifest leaves update number 0). False when the
    // remote manifest could not be fetched or parsed. With a publisher's key, files staged for
    // another release than the signed manifest's are removed.
    bool loadVersions(const ServerConfig& server);
    // The remote manifest parsed completely and the local update number is lower.
    bool needsUpdate() const;
    // Downloads from `server` and installs (see above), all or nothing: the install begins only
    // when every due file is staged and verified, and is carried out under a journal. A release
    // older than the installed one installs nothing. `installed` only when the whole release was
    // installed (the local manifest then already has its number); any other result left the
    // installation as it was. Shows nothing: the caller tells the user what it decides to. The
    // movie control's installer (Plus/install_flashplayer.exe) is fetched only when
    // `controlInstallerDue`: the caller has tested the control once already.
    RunResult runUpdate(const ServerConfig& server, bool controlInstallerDue);
    // Writes the remote version as the local manifest when the remote one is valid and an
    // update was due; false without writing otherwise.
    bool writeLocalVersion();
    // Whether the installed file `name` (a manifest name, "/" or "\" between folders) has the
    // digest `md5`, or, when `sha256` is not empty, the SHA-256 `sha256` (the stronger digest
    // decides alone: DigestRead::strongest), compared case-sensitively. A file that cannot be
    // read is not up to date.
    bool isUpToDate(const std::string& name, const std::string& md5,
                    const std::string& sha256 = {}) const;

    const VersionInfo& remote() const { return remote_; }
    const VersionInfo& local() const { return local_; }
    // For callers that obtained a manifest another way (and for tests).
    void setRemote(VersionInfo remote) { remote_ = std::move(remote); }

    // The splash window to notify; the manager itself never uses it.
    SplashDlg* splash() const { return splash_; }
    void setSplash(SplashDlg* splash) { splash_ = splash; }

    // Time-outs of each file's download; by default `downloadTimeouts` of its listed length.
    void setTimeouts(const HttpTimeouts& timeouts) { timeouts_ = timeouts; }
    const std::optional<HttpTimeouts>& timeouts() const { return timeouts_; }

  private:
    // The install of what `downloads` verified; the installed files' digests go to `checked`.
    RunResult install(const DownloadThread& downloads, DigestCache& checked);

    SplashDlg* splash_ = nullptr;
    VersionInfo remote_;
    VersionInfo local_;
    std::optional<HttpTimeouts> timeouts_;
};

}  // namespace update
