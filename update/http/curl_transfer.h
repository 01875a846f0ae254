// One HTTP GET on libcurl's multi interface, driven by its reader.
//
// libcurl runs only while the reader waits for the response head or for body bytes. Received
// body bytes wait in a buffer; once `kBufferLimit` of them are unread, the transfer is paused
// until the reader has taken them, so memory stays flat whatever the size of the body.
//
// Time-outs: connecting (name lookup included) may take `HttpTimeouts::connect`; after that,
// the transfer fails when no byte arrives for `HttpTimeouts::stall` while the reader waits.
// Time the reader spends elsewhere is not counted. A non-zero `HttpTimeouts::total` is an
// overall deadline from `start`: once it has passed, the reader's next wait fails the transfer,
// however steadily bytes arrive. A non-zero `HttpTimeouts::floorSpeed` fails a body that arrives
// slower than that on average over `HttpTimeouts::floorWindow` of the reader's waiting (see
// speed_floor.h); the wait for the head is left to the other limits. Proxies come from the
// environment as libcurl
// reads it: `http_proxy` (lower case only), `https_proxy`, `all_proxy`, `no_proxy`.
// Redirects are followed, up to 10, to http and https addresses only.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "update/http/speed_floor.h"

namespace update {

struct HttpTimeouts {
    std::chrono::milliseconds connect{15000};
    std::chrono::milliseconds stall{30000};
    std::chrono::milliseconds total{0};  // 0: no overall deadline
    std::int64_t floorSpeed = 0;         // body bytes a second; 0: no floor
    std::chrono::milliseconds floorWindow{30000};
};

class CurlTransfer {
  public:
    static constexpr std::size_t kBufferLimit = 4 << 20;

    CurlTransfer();
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // Sends the request for `url`, asking for the body from byte `rangeFrom` on ("Range:
    // bytes=N-") when that is above 0; false when libcurl cannot set it up. Whether the server
    // honoured the range is for the caller to judge from `status` and `contentRange`. With
    // `acceptGzip` the request offers "Accept-Encoding: gzip" and a gzip body is read decoded:
    // every count and limit then applies to the decoded bytes.
    bool start(const std::string& url, const HttpTimeouts& timeouts, std::int64_t rangeFrom = 0,
               bool acceptGzip = false);
    // Waits for the final response head (interim 1xx heads and followed redirects are passed
    // over). False when the transfer ended without one.
    bool waitForHead();
    // The status of the last response line received, or 0.
    long status() const;
    // The value of the final head's Content-Range header, blanks around it removed; empty when
    // it had none.
    const std::string& contentRange() const { return contentRange_; }
    // Copies `size` body bytes into `out`, fewer only where the body ends (0 at its end).
    // -1 when the transfer failed before the block was complete.
    long read(char* out, std::size_t size);
    // As `read`, but points `data` at the bytes in the internal buffer instead of copying them;
    // they stay valid until the next call.
    long next(std::size_t size, const char*& data);
    // Body bytes received and not yet read: that many can be read without waiting, and a
    // `next` within them returns the bytes right after those of the previous `next`.
    std::size_t buffered() const { return unread(); }
    // Why the transfer failed; empty while it has not.
    const std::string& error() const { return error_; }

  private:
    // libcurl's handles and error text, defined with libcurl's header in the source file, so
    // that the files including this one do not include libcurl's.
    struct Handles;

    static std::size_t onHeader(char* data, std::size_t, std::size_t size, void* self);
    static std::size_t onBody(char* data, std::size_t, std::size_t size, void* self);
    bool configure(const std::string& url, const HttpTimeouts& timeouts, std::int64_t rangeFrom,
                   bool acceptGzip);
    void onHeadLine(std::string_view line);
    void endOfHead();
    std::size_t take(char* data, std::size_t size);
    enum class Wait { head, body };
    template <class Ready>
    void runUntil(Ready ready, Wait wait);
    bool keepsUp(SpeedFloor::Duration waited);
    void collectResult();
    void fail(const std::string& why);
    std::size_t unread() const { return buffer_.size() - readPos_; }

    std::unique_ptr<Handles> curl_;
    std::chrono::milliseconds stall_{0};
    std::chrono::milliseconds total_{0};
    std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();
    SpeedFloor floor_{0, std::chrono::milliseconds(0)};
    std::vector<char> buffer_;
    std::size_t readPos_ = 0;
    std::size_t pauseAt_ = kBufferLimit;
    std::uint64_t received_ = 0;  // head and body bytes, to notice a stall
    std::uint64_t bodyReceived_ = 0;
    std::string contentRange_;
    bool paused_ = false;
    bool sawLocation_ = false;
    bool headDone_ = false;
    bool finished_ = false;
    std::string error_;
};

}  // namespace update
