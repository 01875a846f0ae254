#include "tests/support/nginx_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace test_support {

namespace {

constexpr int kStartAttempts = 5;
constexpr auto kStartLimit = std::chrono::seconds(30);

// A port of 127.0.0.1 that was free a moment ago; 0 when none could be had.
int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

bool accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected =
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// nginx's main configuration: everything it writes inside `prefix`, the site included as given.
std::string mainConfig(const std::string& prefix, const std::string& httpExtra) {
    return "daemon off;\nmaster_process off;\npid " + prefix + "/nginx.pid;\nerror_log " + prefix +
           "/error.log info;\nevents { worker_connections 64; }\nhttp {\n"
           "    include /etc/nginx/mime.types;\n    default_type application/octet-stream;\n"
           "    client_body_temp_path " +
           prefix + "/client_body;\n    proxy_temp_path " + prefix +
           "/proxy;\n    fastcgi_temp_path " + prefix + "/fastcgi;\n    uwsgi_temp_path " + prefix +
           "/uwsgi;\n    scgi_temp_path " + prefix + "/scgi;\n    log_format tests '" +
           NginxServer::kLogFormat + "';\n    access_log " + prefix + "/access.log tests;\n" +
           httpExtra + "\n    include " + prefix + "/site.conf;\n}\n";
}

// nginx logs an empty value as "-".
std::string field(const std::string& text) { return text == "-" ? std::string() : text; }

NginxServer::Request parsedLine(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string part; std::getline(in, part, '\t');) fields.push_back(field(part));
    fields.resize(9);
    NginxServer::Request request{fields[0], fields[1], std::atoi(fields[2].c_str()),
                                 fields[3], fields[4], fields[5],
                                 fields[6], fields[7]};
    request.bodyBytes = std::atoll(fields[8].c_str());
    return request;
}

}  // namespace

std::string filledTemplate(std::string text,
                           const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [name, value] : values) {
        const std::string mark = "@" + name + "@";
        for (auto at = text.find(mark); at != std::string::npos;
             at = text.find(mark, at + value.size())) {
            text.replace(at, mark.size(), value);
        }
    }
    return text;
}

NginxServer::NginxServer(const std::string& webRoot, const std::string& site,
                         const std::string& httpExtra) {
    for (int attempt = 0; attempt < kStartAttempts && !running(); ++attempt) {
        start(webRoot, site, httpExtra);
    }
}

NginxServer::~NginxServer() = default;  // the process is killed: nothing of it is kept

// One try on a port that was free a moment ago; another program may take it before nginx
// binds it, and nginx then ends at once.
bool NginxServer::start(const std::string& webRoot, const std::string& site,
                        const std::string& httpExtra) {
    const int port = freePort();
    if (port == 0) return false;
    const std::string root = std::filesystem::absolute(webRoot).string();
    std::filesystem::remove(dir_.file("nginx.pid"));
    writeFile(
        dir_.file("site.conf"),
        filledTemplate(site, {{"LISTEN", "127.0.0.1:" + std::to_string(port)}, {"ROOT", root}}));
    writeFile(dir_.file("nginx.conf"), mainConfig(dir_.path(), httpExtra));
    process_ = std::make_unique<ProgramRun>(
        VEXO_NGINX,
        std::vector<std::string>{"-p", dir_.path(), "-c", dir_.file("nginx.conf"), "-e",
                                 dir_.file("error.log")},
        dir_.path(), std::map<std::string, std::string>{}, dir_.file("stdout"),
        dir_.file("stderr"));
    if (!process_->started() || !waitUntilAccepting(port)) {
        process_.reset();
        return false;
    }
    port_ = port;
    return true;
}

// nginx writes its pid file once it has bound its port, and serves once it accepts: the file
// tells that the connection accepted is nginx's, not another program's that took the port.
bool NginxServer::waitUntilAccepting(int port) {
    bool ended = false;
    const bool up = waitUntil(
        [&] {
            ended = process_->wait(std::chrono::milliseconds(0)).has_value();
            return ended || (std::filesystem::exists(dir_.file("nginx.pid")) && accepts(port));
        },
        kStartLimit);
    return up && !ended;
}

std::vector<NginxServer::Request> NginxServer::requests() const {
    std::vector<Request> requests;
    if (!std::filesystem::exists(dir_.file("access.log"))) return requests;
    std::istringstream lines(readFile(dir_.file("access.log")));
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) requests.push_back(parsedLine(line));
    }
    return requests;
}

bool NginxServer::waitForRequests(const std::function<bool(const std::vector<Request>&)>& done,
                                  std::chrono::milliseconds timeout) const {
    return waitUntil([&] { return done(requests()); }, timeout);
}

std::string NginxServer::errorLog() const {
    const std::string path = dir_.file("error.log");
    return std::filesystem::exists(path) ? readFile(path) : std::string();
}

}  // namespace test_support
