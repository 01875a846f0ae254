#include "tests/support/http_test_server.h"

#include <charconv>
#include <optional>
#include <string_view>

namespace test_support {

namespace {

std::optional<std::size_t> decimal(std::string_view text) {
    std::size_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

// The first and last byte of "bytes=N-" or "bytes=N-M" (last: none for "to the end").
struct ByteRange {
    std::size_t first = 0;
    std::optional<std::size_t> last;
};

std::optional<ByteRange> singleRange(std::string_view header) {
    constexpr std::string_view kUnit = "bytes=";
    if (!header.starts_with(kUnit)) return std::nullopt;
    header.remove_prefix(kUnit.size());
    const auto dash = header.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const auto first = decimal(header.substr(0, dash));
    if (!first) return std::nullopt;
    const std::string_view rest = header.substr(dash + 1);
    if (rest.empty()) return ByteRange{*first, std::nullopt};
    const auto last = decimal(rest);
    if (!last || *last < *first) return std::nullopt;
    return ByteRange{*first, last};
}

}  // namespace

void takeOverRanges(const httplib::Request& request) {
    // The server made the request and hands it over as const; it is no constant object.
    const_cast<httplib::Request&>(request).ranges.clear();
}

bool answerByteRange(const std::string& range, const std::string& body,
                     httplib::Response& response) {
    const std::optional<ByteRange> wanted = singleRange(range);
    if (!wanted) return false;
    const std::string size = std::to_string(body.size());
    if (wanted->first >= body.size()) {
        response.status = 416;
        response.set_header("Content-Range", "bytes */" + size);
        return true;
    }
    const std::size_t last = std::min(wanted->last.value_or(body.size() - 1), body.size() - 1);
    response.status = 206;
    response.set_header("Content-Range", "bytes " + std::to_string(wanted->first) + "-" +
                                             std::to_string(last) + "/" + size);
    response.set_content(body.substr(wanted->first, last - wanted->first + 1),
                         "application/octet-stream");
    return true;
}

HttpTestServer::HttpTestServer() {
    server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        handle(request, response);
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] {
        server_.listen_after_bind();
        listenEnded_ = true;
    });
    // A stop before the accept loop runs would be lost and leave the destructor waiting: wait
    // for the loop itself, however long a loaded machine takes to start the thread.
    while (!server_.is_running() && !listenEnded_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

HttpTestServer::~HttpTestServer() {
    server_.stop();
    thread_.join();
}

void HttpTestServer::answer(const std::string& path, int status, std::string body) {
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[path] = Reply{status, std::move(body), {}, 0};
}

void HttpTestServer::answerChunked(const std::string& path, std::string body,
                                   std::size_t chunkSize) {
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[path] = Reply{200, std::move(body), {}, chunkSize};
}

void HttpTestServer::redirect(const std::string& path, const std::string& location) {
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[path] = Reply{302, {}, location, 0};
}

void HttpTestServer::ignoreRanges(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    ignoringRanges_.insert(path);
}

std::vector<std::string> HttpTestServer::requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> paths;
    for (const Served& served : served_) paths.push_back(served.path);
    return paths;
}

std::vector<HttpTestServer::Served> HttpTestServer::served() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return served_;
}

void HttpTestServer::handle(const httplib::Request& request, httplib::Response& response) {
    takeOverRanges(request);
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string range = request.get_header_value("Range");
    served_.push_back({request.path, range, 0, 0});
    Served& served = served_.back();
    const auto found = replies_.find(request.path);
    const Reply reply = found == replies_.end() ? Reply{} : found->second;
    response.status = reply.status;
    served.status = reply.status;
    served.bodyBytes = reply.status == 204 ? 0 : reply.body.size();
    if (!reply.location.empty()) response.set_header("Location", reply.location);
    if (reply.chunkSize == 0) {
        const bool ranged = reply.status == 200 && !range.empty() &&
                            !ignoringRanges_.contains(request.path) &&
                            answerByteRange(range, reply.body, response);
        if (ranged) {
            served.status = response.status;
            served.bodyBytes = response.body.size();
        } else if (reply.status != 204) {
            response.set_content(reply.body, "application/octet-stream");
        }
        return;
    }
    response.set_chunked_content_provider(
        "application/octet-stream",
        [body = reply.body, size = reply.chunkSize](std::size_t offset, httplib::DataSink& sink) {
            if (offset < body.size()) {
                sink.write(body.data() + offset, std::min(size, body.size() - offset));
            } else {
                sink.done();
            }
            return true;
        });
}

}  // namespace test_support
