#include "update/http/http_client.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "common/console.h"
#include "update/http/http_url.h"

namespace update {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// A regular file, truncated or created, never reached through a link as the last part of the
// path and never a pipe, which would hold the writer until a reader came.
std::FILE* openForWriting(const std::string& path) {
    const int fd = ::open(path.c_str(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    struct stat info {};
    std::FILE* file = nullptr;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) file = ::fdopen(fd, "wb");
    if (file == nullptr) ::close(fd);
    return file;
}

// An existing regular file of exactly `length` bytes, opened for appending on the same terms as
// `openForWriting`: the rest of a body belongs only after the part it continues.
std::FILE* openForAppending(const std::string& path, std::int64_t length) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    std::FILE* file = nullptr;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size == length) {
        file = ::fdopen(fd, "ab");
    }
    if (file == nullptr) ::close(fd);
    return file;
}

// A decimal number of digits only, no sign, no blanks.
std::optional<std::int64_t> decimal(std::string_view text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || text.front() == '-' || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

// Clamped so that the deadline stays far inside what a clock can count (2^50 bytes: a petabyte).
constexpr std::int64_t kMaxScaledLength = std::int64_t{1} << 50;

}  // namespace

bool ProgressListener::onProgress(HttpClient&, std::int64_t, int) { return true; }

void ProgressListener::onStored(const char*, int) {}

HttpClient::HttpClient(std::string host, std::int32_t port, std::string path,
                       ProgressListener* listener)
    : host_(std::move(host)), port_(port), path_(std::move(path)), listener_(listener) {}

HttpClient::~HttpClient() { close(); }

std::optional<std::int64_t> contentRangeStart(std::string_view value) {
    constexpr std::string_view kUnit = "bytes ";
    if (value.size() < kUnit.size() || value.substr(0, kUnit.size()) != kUnit) return std::nullopt;
    value.remove_prefix(kUnit.size());
    const auto dash = value.find('-');
    const auto slash = value.find('/');
    if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) {
        return std::nullopt;
    }
    const auto first = decimal(value.substr(0, dash));
    const auto last = decimal(value.substr(dash + 1, slash - dash - 1));
    const std::string_view length = value.substr(slash + 1);
    if (!first || !last || *last < *first) return std::nullopt;
    if (length != "*") {
        const auto whole = decimal(length);
        if (!whole || *last >= *whole) return std::nullopt;
    }
    return first;
}

HttpTimeouts downloadTimeouts(std::int64_t length) {
    const std::int64_t bytes = std::clamp<std::int64_t>(length, 0, kMaxScaledLength);
    HttpTimeouts timeouts;
    timeouts.floorSpeed = kDownloadFloorSpeed;
    timeouts.floorWindow = kDownloadFloorWindow;
    timeouts.total =
        kDownloadDeadlineBase + std::chrono::milliseconds(bytes * 1000 / kDownloadFloorSpeed);
    return timeouts;
}

bool HttpClient::open() {
    close();
    const std::optional<std::string> url = requestUrl(host_, port_, path_);
    if (!url) {
        consoleLogf("HttpClient::open:invalid address %s:%d", host_, port_);
        return false;
    }
    transfer_ = std::make_unique<CurlTransfer>();
    if (!transfer_->start(*url, timeouts_, resumeFrom_, acceptGzip_)) return false;
    opened_ = transfer_->waitForHead();
    status_ = static_cast<std::uint32_t>(transfer_->status());
    if (status_ != 0) consoleLogf("httpFile.statusCode:%d", static_cast<std::int32_t>(status_));
    if (!opened_) consoleLogf("HttpClient::open:%s", transfer_->error());
    return opened_ && isStatusOk() && acceptRange();
}

// A 206 to a resume must be the rest of the file; a 206 nobody asked for is a body like any.
bool HttpClient::acceptRange() {
    if (resumeFrom_ == 0 || status_ != 206) return true;
    const std::string& range = transfer_->contentRange();
    if (contentRangeStart(range) == resumeFrom_) {
        resumed_ = true;
        return true;
    }
    consoleLogf("HttpClient::open:not the rest from the resume offset: Content-Range %s",
                range.empty() ? std::string("missing") : range);
    transfer_.reset();
    opened_ = false;
    return false;
}

long HttpClient::read(char* block, int size) {
    if (!transfer_ || !opened_ || size <= 0) return -1;
    return transfer_->read(block, static_cast<std::size_t>(size));
}

// `received` counts body bytes; the listener is told totals from the start of the file.
bool HttpClient::report(std::int64_t received, long count) {
    const std::int64_t total = resumed_ ? resumeFrom_ + received : received;
    return !listener_ || listener_->onProgress(*this, total, static_cast<int>(count));
}

std::string HttpClient::readToString() {
    std::string text;
    if (!readyToRead()) return text;
    char block[kBlockSize];
    std::int64_t total = 0;
    for (long count = kBlockSize; count == kBlockSize;) {
        count = read(block, kBlockSize);
        if (count <= 0) break;
        total += count;
        if (!report(total, count)) break;
        // Bytes received count, not bytes kept: a body of zero bytes keeps nothing.
        if (static_cast<std::size_t>(total) > kMaxTextSize) {
            consoleLog("HttpClient::readToString:body too large");
            break;
        }
        // Each block counts up to its first zero byte, as text does: a manifest that a server
        // ends with a zero byte still parses.
        text.append(block, strnlen(block, static_cast<std::size_t>(count)));
    }
    return text;
}

bool HttpClient::readToFile(const std::string& localPath) {
    if (!readyToRead()) return false;
    std::unique_ptr<std::FILE, FileCloser> file(openTarget(localPath));
    if (!file) {
        consoleLogf(resumed_ ? "HttpClient::readToFile:cannot append to %s"
                             : "HttpClient::readToFile:cannot create %s",
                    localPath);
        return false;
    }
    // Each block goes to the file as it comes: a stream buffer would only copy it once more.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    const bool copied = copyBody(file.get());
    const bool writeFailed = std::ferror(file.get()) != 0;
    if (std::fclose(file.release()) != 0 || writeFailed) {
        consoleLogf("HttpClient::readToFile:cannot write %s", localPath);
        return false;
    }
    if (!transfer_->error().empty()) consoleLogf("HttpClient::readToFile:%s", transfer_->error());
    return copied;
}

std::FILE* HttpClient::openTarget(const std::string& localPath) const {
    return resumed_ ? openForAppending(localPath, resumeFrom_) : openForWriting(localPath);
}

// Blocks are reported one by one, but written together while more are already at hand: one
// system call for up to `kWriteChunk` bytes instead of one for every 8192.
bool HttpClient::copyBody(std::FILE* file) {
    constexpr std::size_t kWriteChunk = 256 << 10;
    std::int64_t total = 0;
    for (long count = kBlockSize; count == kBlockSize;) {
        const char* chunk = nullptr;
        std::size_t size = 0;
        do {
            const char* block = nullptr;
            count = transfer_->next(kBlockSize, block);
            if (count <= 0) break;
            if (!chunk) chunk = block;
            total += count;
            if (!report(total, count)) {
                store(file, chunk, size);
                return false;
            }
            size += static_cast<std::size_t>(count);
        } while (count == kBlockSize && size < kWriteChunk &&
                 transfer_->buffered() >= static_cast<std::size_t>(kBlockSize));
        if (!store(file, chunk, size)) return false;
        if (count < 0) return false;
    }
    return true;
}

// Writes the accepted blocks and tells the listener of each, in 8192-byte blocks as they came.
bool HttpClient::store(std::FILE* file, const char* data, std::size_t size) {
    if (size == 0) return true;
    if (std::fwrite(data, 1, size, file) != size) return false;
    if (!listener_) return true;
    for (std::size_t at = 0; at < size; at += kBlockSize) {
        const std::size_t block = std::min<std::size_t>(kBlockSize, size - at);
        listener_->onStored(data + at, static_cast<int>(block));
    }
    return true;
}

void HttpClient::close() {
    transfer_.reset();
    opened_ = false;
    resumed_ = false;
    status_ = 0;
}

}  // namespace update
