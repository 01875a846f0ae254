#include "update/http/curl_transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace update {

namespace {

using Clock = std::chrono::steady_clock;

// libcurl's largest receive size: measured fastest on loopback (bench/README.md). The reader
// still takes the body in the blocks it asks for.
constexpr long kReceiveBufferSize = 512 * 1024;

void initCurlOnce() {
    static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)result;
}

bool startsWithNoCase(std::string_view line, std::string_view prefix) {
    return line.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), line.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// `total` after now, or never when that lies past what the clock can hold.
Clock::time_point deadlineAfter(std::chrono::milliseconds total) {
    if (total.count() <= 0) return Clock::time_point::max();
    const auto now = Clock::now();
    const auto room =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::time_point::max() - now);
    return total < room ? now + total : Clock::time_point::max();
}

// The name the program was started by, as the HTTP layer of the original platform sends it.
const char* agentName() { return program_invocation_short_name; }

}  // namespace

struct CurlTransfer::Handles {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    bool added = false;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    Handles() = default;
    Handles(const Handles&) = delete;
    Handles& operator=(const Handles&) = delete;
    ~Handles() {
        if (added) curl_multi_remove_handle(multi, easy);
        if (easy) curl_easy_cleanup(easy);
        if (multi) curl_multi_cleanup(multi);
    }
};

CurlTransfer::CurlTransfer() : curl_(std::make_unique<Handles>()) {}

CurlTransfer::~CurlTransfer() = default;

bool CurlTransfer::start(const std::string& url, const HttpTimeouts& timeouts,
                         std::int64_t rangeFrom, bool acceptGzip) {
    initCurlOnce();
    stall_ = timeouts.stall;
    total_ = timeouts.total;
    deadline_ = deadlineAfter(total_);
    floor_ = SpeedFloor(timeouts.floorSpeed, timeouts.floorWindow);
    curl_->multi = curl_multi_init();
    curl_->easy = curl_easy_init();
    if (!curl_->multi || !curl_->easy || !configure(url, timeouts, rangeFrom, acceptGzip) ||
        curl_multi_add_handle(curl_->multi, curl_->easy) != CURLM_OK) {
        fail("the request could not be set up");
        return false;
    }
    curl_->added = true;
    return true;
}

bool CurlTransfer::configure(const std::string& url, const HttpTimeouts& timeouts,
                             std::int64_t rangeFrom, bool acceptGzip) {
    CURL* easy = curl_->easy;
    bool ok = curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) == CURLE_OK;
    // CURLOPT_RANGE only sends the header; CURLOPT_RESUME_FROM would also fail a 200 answer,
    // which for the caller is a whole body, not an error.
    const std::string range = std::to_string(rangeFrom) + "-";
    if (rangeFrom > 0) ok = ok && curl_easy_setopt(easy, CURLOPT_RANGE, range.c_str()) == CURLE_OK;
    // gzip only, not every decoder libcurl was built with: fewer decoders see a server's bytes.
    if (acceptGzip) ok = ok && curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "gzip") == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK;
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // A proxy tunnel's own "200 Connection established" is not the response head.
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect.count()));
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agentName());
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, curl_->errorBuffer);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlTransfer::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    return ok;
}

std::size_t CurlTransfer::onHeader(char* data, std::size_t, std::size_t size, void* self) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    transfer.received_ += size;
    if (!transfer.headDone_) transfer.onHeadLine(std::string_view(data, size));
    return size;  // after the head: trailers of a chunked body
}

void CurlTransfer::onHeadLine(std::string_view line) {
    constexpr std::string_view kContentRange = "content-range:";
    if (line.starts_with("HTTP/")) {
        sawLocation_ = false;
        contentRange_.clear();
    } else if (startsWithNoCase(line, "location:")) {
        sawLocation_ = true;
    } else if (startsWithNoCase(line, kContentRange)) {
        contentRange_ = trimmed(line.substr(kContentRange.size()));
    } else if (line == "\r\n" || line == "\n") {
        endOfHead();
    }
}

// An interim (1xx) head is followed by another head, and so is a redirect that libcurl follows.
void CurlTransfer::endOfHead() {
    const long code = status();
    if (code / 100 == 1 || (code / 100 == 3 && sawLocation_)) return;
    headDone_ = true;
}

std::size_t CurlTransfer::onBody(char* data, std::size_t, std::size_t size, void* self) {
    auto& transfer = *static_cast<CurlTransfer*>(self);
    transfer.headDone_ = true;
    if (transfer.unread() >= transfer.pauseAt_) {
        transfer.paused_ = true;
        return CURL_WRITEFUNC_PAUSE;  // libcurl keeps the data and hands it over again
    }
    return transfer.take(data, size);
}

std::size_t CurlTransfer::take(char* data, std::size_t size) {
    try {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(readPos_));
        readPos_ = 0;
        buffer_.insert(buffer_.end(), data, data + size);
    } catch (...) {
        return 0;  // libcurl ends the transfer with a write error
    }
    received_ += size;
    bodyReceived_ += size;
    return size;
}

long CurlTransfer::status() const {
    long code = 0;
    if (curl_->easy) curl_easy_getinfo(curl_->easy, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

bool CurlTransfer::waitForHead() {
    runUntil([this] { return headDone_; }, Wait::head);
    return headDone_ || (finished_ && error_.empty());
}

long CurlTransfer::read(char* out, std::size_t size) {
    const char* data = nullptr;
    const long count = next(size, data);
    if (count > 0) std::memcpy(out, data, static_cast<std::size_t>(count));
    return count;
}

long CurlTransfer::next(std::size_t size, const char*& data) {
    pauseAt_ = std::max(kBufferLimit, size);
    runUntil([this, size] { return unread() >= size; }, Wait::body);
    if (unread() < size && !error_.empty()) return -1;
    const std::size_t count = std::min(size, unread());
    data = buffer_.data() + readPos_;
    readPos_ += count;
    return static_cast<long>(count);
}

// Every pass through the loop is waiting time: for the stall, since the last byte, and for the
// floor speed, counted before `ready` is tested, since a wait that ends with the data asked for
// is a wait all the same.
template <class Ready>
void CurlTransfer::runUntil(Ready ready, Wait wait) {
    auto lastArrival = Clock::now();
    auto lastPass = lastArrival;
    std::uint64_t seen = received_;
    while (!finished_ && !ready()) {
        // Checked before every wait for data, however steadily the data comes.
        if (Clock::now() >= deadline_) {
            fail("no complete answer within " + std::to_string(total_.count()) + " ms");
            break;
        }
        if (paused_) {
            paused_ = false;
            curl_easy_pause(curl_->easy, CURLPAUSE_CONT);  // may hand over the kept data at once
        }
        int running = 0;
        if (curl_multi_perform(curl_->multi, &running) != CURLM_OK) fail("libcurl failed");
        collectResult();
        if (finished_) break;
        const auto now = Clock::now();
        if (wait == Wait::body && !keepsUp(now - lastPass)) break;
        lastPass = now;
        if (ready()) break;
        if (received_ != seen) {
            seen = received_;
            lastArrival = now;
        } else if (now - lastArrival >= stall_) {
            fail("no data from the server for " + std::to_string(stall_.count()) + " ms");
            break;
        }
        auto left = std::chrono::ceil<std::chrono::milliseconds>(
            std::min(stall_ - (now - lastArrival), deadline_ - now));
        if (wait == Wait::body) {
            left = std::min(left, std::chrono::ceil<std::chrono::milliseconds>(floor_.left()));
        }
        const long long waitMs = std::clamp<long long>(left.count(), 0, 1000);
        curl_multi_poll(curl_->multi, nullptr, 0, static_cast<int>(waitMs), nullptr);
    }
}

bool CurlTransfer::keepsUp(SpeedFloor::Duration waited) {
    if (floor_.keepsUp(waited, bodyReceived_)) return true;
    fail("fewer than " + std::to_string(floor_.bytesPerWindow()) + " bytes in " +
         std::to_string(floor_.window().count()) + " ms of waiting for data");
    return false;
}

void CurlTransfer::collectResult() {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(curl_->multi, &queued)) {
        if (message->msg != CURLMSG_DONE) continue;
        if (message->data.result != CURLE_OK) {
            fail(curl_->errorBuffer[0] ? curl_->errorBuffer
                                       : curl_easy_strerror(message->data.result));
        }
        finished_ = true;
    }
}

void CurlTransfer::fail(const std::string& why) {
    if (error_.empty()) error_ = why.empty() ? "transfer failed" : why;
    finished_ = true;
}

}  // namespace update
