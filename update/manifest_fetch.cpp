#include "common/console.h"
#include "update/http_client.h"
#include "update/manifest.h"
#include "update/server_config.h"

namespace update {

bool fetchRemoteVersion(VersionInfo& info) {
    HttpClient client(serverHost(), serverPort(), serverPath() + "version.xml");
    HttpTimeouts timeouts;
    timeouts.total = kManifestDeadline;
    client.setTimeouts(timeouts);
    if (!client.open()) {
        consoleLog("请求版本信息失败!");
        return false;
    }
    return parseRemoteVersion(client.readToString(), info);
}

}  // namespace update
