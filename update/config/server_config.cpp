#include "update/config/server_config.h"

#include "common/console.h"
#include "update/config/decimal.h"

namespace update {

namespace {

std::string valueOf(const Properties& table, std::string_view key) {
    return std::string(table.get(key).value_or(std::string_view()));
}

}  // namespace

ServerConfig serverConfigOf(const Properties& table) {
    ServerConfig config;
    config.host = valueOf(table, "server.host");
    config.port = toInt32(table.get("server.port").value_or(""));
    config.path = valueOf(table, "server.path");
    if (const std::optional<std::string_view> key = table.get("update.publicKey")) {
        config.publicKey = std::string(*key);
    }
    return config;
}

std::optional<ServerConfig> loadServerConfig() {
    Properties table;
    if (!table.load("config.properties")) {
        consoleLog("读config.properties配置失败!");
        return std::nullopt;
    }
    consoleLog("成功读取(config.properties)配置信息.");
    return serverConfigOf(table);
}

std::string clientMovieUrl(const ServerConfig& server) {
    return "http://" + server.host + ":" + std::to_string(server.port) + server.path + "client.swf";
}

}  // namespace update
