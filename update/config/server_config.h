// The update server's address and the publisher's key, read from "config.properties" in the
// current directory. The launcher loads it once and passes it to what talks to the server.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "update/config/properties.h"

namespace update {

// A key missing from the file counts as empty text (port 0); requests to an empty host then
// fail when they are opened.
struct ServerConfig {
    std::string host;       // `server.host`
    std::int32_t port = 0;  // `server.port` converted like atoi; 0 selects the default HTTP port
    std::string path;       // `server.path`, put verbatim in front of every request path
    // `update.publicKey` as written, or none when the file has no such line. Any value, an empty
    // one included, means the installation accepts only signed releases (release_signature.h).
    std::optional<std::string> publicKey;
};

// The configuration that `table` holds.
ServerConfig serverConfigOf(const Properties& table);

// Loads "config.properties" from the current directory and logs the outcome. None when the file
// cannot be read.
std::optional<ServerConfig> loadServerConfig();

// "http://" host ":" port path "client.swf": the movie the player loads.
std::string clientMovieUrl(const ServerConfig& server);

}  // namespace update
