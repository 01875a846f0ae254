#include "tests/launcher/local_server.h"

#include <algorithm>

#include "tests/support/http_test_server.h"
#include "tests/support/program_run.h"

namespace launcher_test {

LocalServer::LocalServer() {
    server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        handle(request, response);
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // A stop before the accept loop runs would be lost and leave the destructor waiting.
    test_support::waitUntil([this] { return server_.is_running(); }, std::chrono::seconds(5));
}

LocalServer::~LocalServer() {
    stopping_ = true;
    {
        std::lock_guard lock(mutex_);
        held_.clear();
    }
    released_.notify_all();
    server_.stop();
    thread_.join();
}

void LocalServer::answer(const std::string& path, std::vector<Reply> replies) {
    std::lock_guard lock(mutex_);
    replies_[path] = std::move(replies);
    answered_[path] = 0;
}

void LocalServer::hold(const std::string& path) {
    std::lock_guard lock(mutex_);
    held_.insert(path);
}

void LocalServer::release(const std::string& path) {
    {
        std::lock_guard lock(mutex_);
        held_.erase(path);
    }
    released_.notify_all();
}

void LocalServer::onRequest(std::function<void(const std::string&)> hook) {
    std::lock_guard lock(mutex_);
    hook_ = std::move(hook);
}

std::vector<std::string> LocalServer::targets() const {
    std::lock_guard lock(mutex_);
    return targets_;
}

std::vector<LocalServer::Served> LocalServer::served() const {
    std::lock_guard lock(mutex_);
    return served_;
}

bool LocalServer::waitForRequest(const std::string& path, std::chrono::milliseconds timeout) const {
    return test_support::waitUntil(
        [&] {
            std::lock_guard lock(mutex_);
            return std::find(paths_.begin(), paths_.end(), path) != paths_.end();
        },
        timeout);
}

void LocalServer::handle(const httplib::Request& request, httplib::Response& response) {
    test_support::takeOverRanges(request);
    std::function<void(const std::string&)> hook;
    {
        std::lock_guard lock(mutex_);
        targets_.push_back(request.target);
        paths_.push_back(request.path);
        hook = hook_;
    }
    if (hook) hook(request.target);
    std::unique_lock lock(mutex_);
    released_.wait(lock, [&] { return !held_.contains(request.path); });
    const Reply reply = nextReply(request.path);
    lock.unlock();
    const std::string range = request.get_header_value("Range");
    response.status = reply.status;
    const bool ranged = reply.status == 200 && !reply.trickle && !range.empty() &&
                        test_support::answerByteRange(range, reply.body, response);
    if (reply.trickle) {
        trickle(response, reply.body);
    } else if (!ranged && reply.status != 204) {
        response.set_content(reply.body, "application/octet-stream");
    }
    lock.lock();
    served_.push_back({request.target, range, response.status, response.body.size()});
}

void LocalServer::trickle(httplib::Response& response, const std::string& body) {
    // The whole length is announced but only the first half sent: the transfer only stalls.
    response.set_content_provider(
        body.size(), "application/octet-stream",
        [this, body](std::size_t offset, std::size_t, httplib::DataSink& sink) {
            if (offset < body.size() / 2) {
                sink.write(body.data() + offset,
                           std::min<std::size_t>(256, body.size() / 2 - offset));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return !stopping_ && sink.is_writable();
        });
}

LocalServer::Reply LocalServer::nextReply(const std::string& path) {
    const auto found = replies_.find(path);
    if (found == replies_.end() || found->second.empty()) return Reply{404, {}};
    std::size_t& count = answered_[path];
    const Reply reply = found->second[std::min(count, found->second.size() - 1)];
    ++count;
    return reply;
}

}  // namespace launcher_test
