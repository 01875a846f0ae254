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
// fetch of the remote manifest has one of `kManifestDeadline` (manifest.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "update/curl_transfer.h"

namespace update {

class HttpClient;

class ProgressListener {
  public:
    virtual ~ProgressListener() = default;
    // Called before each block is stored, with the body bytes received so far (this block
    // included) and the block's size (1 to `HttpClient::kBlockSize`). False stops the transfer
    // and drops the block.
    virtual bool onProgress(HttpClient& client, std::int64_t total, int blockSize);
    // Called by `readToFile` after a block was written to the file, with its bytes: a
    // listener can digest a download as it is stored instead of reading the file back.
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

    // Sends the request and waits for the response head. Logs the status when one arrived.
    // True when the status is 2xx.
    bool open();
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
    // Writes the body into the regular file at `localPath`, created or truncated. True when the
    // whole body was stored. False without touching the file when `open` did not succeed or the
    // file cannot be created (a link or a pipe at `localPath` is not written through); false
    // with the blocks stored so far when the listener stops, the transfer fails or the file
    // cannot be written.
    bool readToFile(const std::string& localPath);
    // Ends the request. Safe to call more than once.
    void close();

  private:
    bool readyToRead() const { return opened_ && isStatusOk(); }
    bool report(std::int64_t total, long count);
    bool copyBody(std::FILE* file);
    bool store(std::FILE* file, const char* data, std::size_t size);

    std::string host_;
    std::int32_t port_;
    std::string path_;
    ProgressListener* listener_;
    HttpTimeouts timeouts_;
    std::unique_ptr<CurlTransfer> transfer_;
    std::uint32_t status_ = 0;
    bool opened_ = false;
};

}  // namespace update
