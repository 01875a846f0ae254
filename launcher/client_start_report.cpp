#include "launcher/client_start_report.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/os/registry.h"
#include "update/http/http_client.h"

namespace launcher {

namespace {

constexpr const char* kIdentifierKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Qorvane\\VexoClient";

// "<host>:<port>", split at the last colon so that a bracketed IPv6 address works.
bool parseLogServer(std::string_view text, LogServer& server) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    const std::string_view port = text.substr(colon + 1);
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (port.empty() || error != std::errc() || end != port.data() + port.size() || number < 0 ||
        number > 65535) {
        return false;
    }
    server = {std::string(text.substr(0, colon)), number};
    return true;
}

}  // namespace

std::string clientStartReportPath(const std::string& identifier) {
    return "/clientlog?log=1:1:2_1:" + identifier;
}

std::string readClientIdentifier() {
    const auto value = platform::loadProcessRegistry().readString(kIdentifierKey, "GUID");
    if (!value) return {};
    const std::string text = value->substr(0, value->find('\0'));
    return text.size() <= kMaxClientIdentifier ? text : std::string();
}

LogServer logServer() {
    LogServer server{VEXO_LOG_SERVER_HOST, VEXO_LOG_SERVER_PORT};
    const char* overridden = std::getenv("VEXO_LOG_SERVER");
    if (overridden && !parseLogServer(overridden, server)) {
        std::fprintf(stderr, "vexo: VEXO_LOG_SERVER=%s is not <host>:<port>; using %s:%d\n",
                     overridden, server.host.c_str(), server.port);
    }
    return server;
}

bool sendClientStartReport() {
    const LogServer server = logServer();
    update::HttpClient client(server.host, server.port,
                              clientStartReportPath(readClientIdentifier()));
    return client.open();
}

}  // namespace launcher
