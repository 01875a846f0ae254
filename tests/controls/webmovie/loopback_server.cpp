#include "tests/controls/webmovie/loopback_server.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace webmovie_test {

LoopbackServer::LoopbackServer(std::map<std::string, Body> bodies)
    : state_(std::make_shared<State>(std::move(bodies))) {
    service_ = g_threaded_socket_service_new(4);
    GInetAddress* loopback = g_inet_address_new_loopback(G_SOCKET_FAMILY_IPV4);
    GSocketAddress* address = g_inet_socket_address_new(loopback, 0);
    GSocketAddress* bound = nullptr;
    GError* error = nullptr;
    if (!g_socket_listener_add_address(G_SOCKET_LISTENER(service_), address, G_SOCKET_TYPE_STREAM,
                                       G_SOCKET_PROTOCOL_TCP, nullptr, &bound, &error)) {
        ADD_FAILURE() << error->message;
        g_error_free(error);
    } else {
        port_ = g_inet_socket_address_get_port(G_INET_SOCKET_ADDRESS(bound));
        g_object_unref(bound);
    }
    g_object_unref(address);
    g_object_unref(loopback);
    g_signal_connect_data(
        service_, "run", G_CALLBACK(onRun), new std::shared_ptr<State>(state_),
        [](gpointer state, GClosure*) { delete static_cast<std::shared_ptr<State>*>(state); },
        GConnectFlags(0));
    g_socket_service_start(service_);
}

LoopbackServer::~LoopbackServer() {
    g_socket_service_stop(service_);
    g_socket_listener_close(G_SOCKET_LISTENER(service_));
    g_object_unref(service_);
}

std::string LoopbackServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

gboolean LoopbackServer::onRun(GThreadedSocketService*, GSocketConnection* connection, GObject*,
                               gpointer state) {
    GDataInputStream* in =
        g_data_input_stream_new(g_io_stream_get_input_stream(G_IO_STREAM(connection)));
    g_data_input_stream_set_newline_type(in, G_DATA_STREAM_NEWLINE_TYPE_ANY);
    char* requestLine = g_data_input_stream_read_line(in, nullptr, nullptr, nullptr);
    // The headers say nothing this server needs; they end at an empty line.
    while (char* header = g_data_input_stream_read_line(in, nullptr, nullptr, nullptr)) {
        bool last = *header == '\0';
        g_free(header);
        if (last) break;
    }
    const State::Answer answer =
        (*static_cast<std::shared_ptr<State>*>(state))->answer(requestLine ? requestLine : "");
    g_free(requestLine);
    const std::string response = answer.head + answer.body;
    GOutputStream* out = g_io_stream_get_output_stream(G_IO_STREAM(connection));
    g_output_stream_write_all(out, response.data(), response.size(), nullptr, nullptr, nullptr);
    if (answer.stalls) {
        // Held until the client closes the connection.
        char ignored[256];
        while (g_input_stream_read(G_INPUT_STREAM(in), ignored, sizeof ignored, nullptr, nullptr) >
               0) {
        }
    }
    g_io_stream_close(G_IO_STREAM(connection), nullptr, nullptr);
    g_object_unref(in);
    return TRUE;
}

std::vector<std::string> LoopbackServer::requests() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->requests;
}

void LoopbackServer::put(const std::string& path, Body body) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->bodies[path] = std::move(body);
}

bool LoopbackServer::wasAskedFor(const std::string& path) const {
    std::vector<std::string> asked = requests();
    return std::find(asked.begin(), asked.end(), path) != asked.end();
}

LoopbackServer::State::Answer LoopbackServer::State::answer(const std::string& requestLine) {
    std::size_t start = requestLine.find(' ') + 1, end = requestLine.find(' ', start);
    std::string path = requestLine.substr(start, end - start);
    path = path.substr(0, path.find('?'));
    std::unique_lock<std::mutex> lock(mutex);
    requests.push_back(path);
    auto found = bodies.find(path);
    const bool known = found != bodies.end();
    Body body = known ? found->second : Body{"text/html", "<h1>Not found</h1>"};
    lock.unlock();
    std::string status = !known                  ? "404 Not Found"
                         : body.location.empty() ? "200 OK"
                                                 : "302 Found\r\nLocation: " + body.location;
    return {"HTTP/1.1 " + status + "\r\nContent-Type: " + body.contentType +
                "\r\nContent-Length: " + std::to_string(body.bytes.size()) +
                "\r\nConnection: close\r\n\r\n",
            body.bytes.substr(0, body.sendOnly), body.sendOnly < body.bytes.size()};
}

}  // namespace webmovie_test
