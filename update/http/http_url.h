// The URL of an update request, built from the configured host and port and a request path.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace update {

// "http://" host [":" port] path. Port 0 means the default HTTP port and is left out; a port
// outside 0..65535, an empty host or one that is not a valid host name or address gives none.
// An IPv6 address may be given with or without brackets. The path is sent as it stands, with a
// "/" put in front when it has none; only bytes that cannot stand in a request line (controls,
// space, "#", bytes above 126) are percent-encoded, so a configured path cannot add headers.
std::optional<std::string> requestUrl(const std::string& host, std::int32_t port,
                                      const std::string& path);

}  // namespace update
