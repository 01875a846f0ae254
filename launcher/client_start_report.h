// The client start report: one HTTP GET to the service's log server, carrying the
// installation's client identifier, sent by the launcher just before it hands over.
#pragma once

#include <cstdint>
#include <string>

namespace launcher {

// "/clientlog?log=1:1:2_1:" followed by `identifier` unchanged. Bytes that cannot stand in a
// request line are percent-encoded by the HTTP client when the path is sent, never here.
std::string clientStartReportPath(const std::string& identifier);

// The value "GUID" of HKEY_LOCAL_MACHINE\SOFTWARE\Qorvane\VexoClient in the process's registry
// file, as text (a number in decimal) up to a zero byte; empty when the key or the value is
// missing or the text is longer than `kMaxClientIdentifier` characters.
std::string readClientIdentifier();
inline constexpr std::size_t kMaxClientIdentifier = 259;

struct LogServer {
    std::string host;
    std::int32_t port = 80;
};

// The log server: the build's setting (CMake cache variables VEXO_LOG_SERVER_HOST and
// VEXO_LOG_SERVER_PORT), or the environment variable VEXO_LOG_SERVER=<host>:<port> when it is
// set. A value that is not a host, a colon and a port from 0 to 65535 is ignored, with one line
// on standard error.
LogServer logServer();

// Sends the report for the identifier read from the registry to the log server and returns
// whether it answered with a 2xx status. The body is not read. Blocks the calling thread until
// the answer or the HTTP client's time-outs; nothing is retried or shown. Any thread.
bool sendClientStartReport();

}  // namespace launcher
