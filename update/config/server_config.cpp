#include "update/config/server_config.h"

#include "common/console.h"
#include "update/decimal.h"

namespace update {

namespace {

std::string valueOf(std::string_view key) {
    return std::string(serverConfig().get(key).value_or(std::string_view()));
}

}  // namespace

Properties& serverConfig() {
    static Properties table;
    return table;
}

bool loadServerConfig() {
    if (!serverConfig().load("config.properties")) {
        consoleLog("读config.properties配置失败!");
        return false;
    }
    consoleLog("成功读取(config.properties)配置信息.");
    return true;
}

std::string serverHost() { return valueOf("server.host"); }

std::int32_t serverPort() { return toInt32(serverConfig().get("server.port").value_or("")); }

std::string serverPath() { return valueOf("server.path"); }

std::optional<std::string> updatePublicKey() {
    const std::optional<std::string_view> key = serverConfig().get("update.publicKey");
    if (!key) return std::nullopt;
    return std::string(*key);
}

std::string clientMovieUrl() {
    return "http://" + serverHost() + ":" + std::to_string(serverPort()) + serverPath() +
           "client.swf";
}

}  // namespace update
