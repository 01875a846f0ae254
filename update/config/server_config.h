// The update server's address, read once from "config.properties" in the current directory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "update/config/properties.h"

namespace update {

// The process-wide configuration table: empty at start, filled by `loadServerConfig`, then
// only read (without locks) by the threads started after it.
Properties& serverConfig();

// Loads "config.properties" from the current directory into `serverConfig()` and logs the
// outcome. False when the file cannot be read.
bool loadServerConfig();

// The configured values, read from the table on every call. A key missing from the file
// counts as empty text (port 0); requests to an empty host then fail when they are opened.
std::string serverHost();
// `server.port` converted like atoi; 0 selects the default HTTP port.
std::int32_t serverPort();
// `server.path`, put verbatim in front of every request path.
std::string serverPath();
// `update.publicKey` as written, or none when the file has no such line. Any value, an empty
// one included, means the installation accepts only signed releases (see release_signature.h).
std::optional<std::string> updatePublicKey();
// "http://" host ":" port path "client.swf": the movie the player loads.
std::string clientMovieUrl();

}  // namespace update
