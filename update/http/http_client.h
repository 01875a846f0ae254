// One HTTP GET for one path on one server, with the body delivered as text or into a file in
// blocks of `kBlockSize` bytes, each reported to an optional `ProgressListener` that can stop
// the transfer.
//
// Calling order: construct, `open`, then at most one of `readToString` / `readToFile` (or only
// `statusCode`), destroy. An instance belongs to the thread that uses it; it takes no locks.
//
// Time-outs, proxies and redirects are those of `CurlTransfer` (see curl_transfer.h and
// docs/update.md): connecting may take 15 s, and a transfer fails after 30 s without data.
// There is no overall deadline unless `setTimeouts` gives one (`HttpTimeouts::total`); the
// fetch of the remote manifest has one of `kManifestDeadline` (manifest.h), downloads of listed
// files have `downloadTimeouts`.
//
// Resuming: `setResumeFrom(N)` asks for the body from byte N on. The server may answer 206 with
// the rest of the file (`resumed()`: `readToFile` appends it to the N bytes already stored) or
// 200 with the whole file (`readToFile` replaces the file). Any other answer to a range does
// not open; see `open`.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "update/http/curl_transfer.h"

namespace update {

class HttpClient;

class ProgressListener {
  public:
    virtual ~ProgressListener() = default;
    // Called before each block is stored, with the body bytes received so far (this block
    // included) and the block's size (1 to `HttpClient::kBlockSize`). False stops the transfer
    // and drops the block. When the body was resumed, the total counts from the start of the
    // file: the resume offset plus the bytes received, so that it can be held against the
    // file's length.
    virtual bool onProgress(HttpClient& client, std::int64_t total, int blockSize);
    // Called by `readToFile` after a block was written to the file, with its bytes: a
    // listener can digest a download as it is stored instead of reading the file back. Of a
    // resumed body only the received blocks are told; the bytes before them are the file's.
    virtual void onStored(const char* block, int blockSize);
};

class HttpClient {
  public:
    static constexpr int kBlockSize = 8192;
    // `readToString` stops once more body bytes than this arrived (zero bytes included, though
    // they are not kept): text bodies are manifests, far smaller.
    static constexpr std::size_t kMaxTextSize = 64u << 20;

    // Copies the target; `port` 0 selects the default HTTP port. Nothing touches the network.
    HttpClient(std::string host, std::int32_t port, std::string path,
               ProgressListener* listener = nullptr);
    virtual ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Replaces the default time-outs; call before `open`.
    void setTimeouts(const HttpTimeouts& timeouts) { timeouts_ = timeouts; }
    // Asks for the body from byte `offset` on ("Range: bytes=offset-"); 0 (the default, also
    // for a negative offset) asks for all of it. Call before `open`.
    void setResumeFrom(std::int64_t offset) { resumeFrom_ = offset > 0 ? offset : 0; }
    // Offers "Accept-Encoding: gzip" and reads a gzip body decoded; `kMaxTextSize` and every
    // count then apply to the decoded bytes, so a small compressed body cannot unpack past them.
    // For texts only: a listed file's length, digests and resume offsets are those of its
    // identity bytes. Call before `open`.
    void setAcceptGzip(bool accept) { acceptGzip_ = accept; }

    // Sends the request and waits for the response head. Logs the status when one arrived.
    // True when the status is 2xx, except for a request with a resume offset that is answered
    // 206 without a Content-Range starting at that offset (another range, several ranges, no
    // range): that body is not the rest of the file, and it is not read. A 416 (the offset is
    // not inside the file) does not open either. In both cases the status stays readable, and
    // the caller can fetch the whole file afresh.
    bool open();
    // True after an `open` that asked to resume and got the rest of the body: a 206 whose
    // Content-Range starts at the resume offset. False when the body is the whole file.
    bool resumed() const { return resumed_; }
    // The response's HTTP status; 0 when no response head arrived or the client is closed.
    std::uint32_t statusCode() const { return status_; }
    bool isStatusOk() const { return status_ >= 200 && status_ <= 299; }

    // Reads the body in blocks into `block`: exactly `size` bytes per call until the body ends,
    // then the remainder, then 0. -1 when no request is open or the transfer failed.
    long read(char* block, int size);
    // The body as text, read in blocks as `read` gives them: of each block only the bytes
    // before its first zero byte are kept, and the next block follows on. Empty when `open`
    // did not succeed. Stops early with the text of the blocks before when the listener stops
    // (the block it was offered is dropped), when the transfer fails (a stall, the deadline;
    // the incomplete block is dropped) or once more than `kMaxTextSize` body bytes arrived
    // (the block that went past is dropped).
    std::string readToString();
    // Writes the body into the regular file at `localPath`, created or truncated, or, when
    // `resumed()`, appended to it: the file must then be a regular file of exactly the resume
    // offset's length. True when the whole body was stored. False without touching the file
    // when `open` did not succeed or the file cannot be created or appended to (a link or a
    // pipe at `localPath` is not written through; a file of another length is left as it is);
    // false with the blocks stored so far when the listener stops, the transfer fails (logged
    // with the reason) or the file cannot be written.
    bool readToFile(const std::string& localPath);
    // Ends the request. Safe to call more than once.
    void close();

  private:
    bool readyToRead() const { return opened_ && isStatusOk(); }
    bool acceptRange();
    std::FILE* openTarget(const std::string& localPath) const;
    bool report(std::int64_t received, long count);
    bool copyBody(std::FILE* file);
    bool store(std::FILE* file, const char* data, std::size_t size);

    std::string host_;
    std::int32_t port_;
    std::string path_;
    ProgressListener* listener_;
    HttpTimeouts timeouts_;
    std::unique_ptr<CurlTransfer> transfer_;
    std::uint32_t status_ = 0;
    std::int64_t resumeFrom_ = 0;
    bool opened_ = false;
    bool resumed_ = false;
    bool acceptGzip_ = false;
};

// Where a Content-Range value ("bytes 100-199/200", "bytes 100-199/*") starts; none for any
// other form, a last byte before the first, or a last byte outside the stated length.
std::optional<std::int64_t> contentRangeStart(std::string_view value);

// Listed files download with a floor speed, so that a server trickling bytes cannot hold an
// update for ever, set low enough for a slow but real link: 8 KiB/s is a 64 kbit/s line, less
// than a weak mobile signal gives. Averaged over 30 s of waiting, so that a pause of a few
// seconds (a busy server, a roaming phone) does not fail a download that goes on.
inline constexpr std::int64_t kDownloadFloorSpeed = 8 << 10;
inline constexpr std::chrono::milliseconds kDownloadFloorWindow{30000};
// The deadline of a download: 60 s for connecting and a slow start, plus the length at the
// floor speed.
inline constexpr std::chrono::milliseconds kDownloadDeadlineBase{60000};

// The time-outs for downloading a file listed with `length` bytes (a negative length counts as
// 0): the default connect and stall time-outs, the floor above, and an overall deadline of
// `kDownloadDeadlineBase` plus `length` at `kDownloadFloorSpeed`. A resumed download may pass the
// bytes still missing.
HttpTimeouts downloadTimeouts(std::int64_t length);

}  // namespace update
