#include "tests/support/http_test_server.h"

namespace test_support {

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

std::vector<std::string> HttpTestServer::requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void HttpTestServer::handle(const httplib::Request& request, httplib::Response& response) {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request.path);
    const auto found = replies_.find(request.path);
    const Reply reply = found == replies_.end() ? Reply{} : found->second;
    response.status = reply.status;
    if (!reply.location.empty()) response.set_header("Location", reply.location);
    if (reply.chunkSize == 0) {
        if (reply.status != 204) response.set_content(reply.body, "application/octet-stream");
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
