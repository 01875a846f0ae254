// Debian's nginx for the length of a test, as the user running the test: no root, nothing
// outside a folder of its own, on a free port of 127.0.0.1.
//
// The server is configured by a site text: one or more `server` blocks (what an operator puts
// in /etc/nginx/sites-available/), in which "@LISTEN@" stands for the address to listen on and
// "@ROOT@" for the web root; `kPlainSite` serves the web root as static files. The server runs
// in the foreground as one process (no master, no workers, so no change of user when the test
// runs as root); its pid, logs and temporary folders lie in a folder of the server's own.
// Every request is logged in `kLogFormat`, tab-separated, and `requests` gives them parsed.
//
//     test_support::NginxServer nginx(webRoot);               // or (webRoot, siteText)
//     ASSERT_TRUE(nginx.running()) << nginx.errorLog();
//     ... http://127.0.0.1:<nginx.port()>/...
//     nginx.waitForRequests([](auto& seen) { return seen.size() >= 2; });
//
// The constructor returns once nginx accepts connections, or has failed (`running()` false;
// `errorLog()` tells why). A port taken between choosing and binding it is chosen again. The
// destructor stops nginx.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/file_text.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"

namespace test_support {

class NginxServer {
  public:
    // One line of the access log.
    struct Request {
        std::string method;
        std::string uri;  // the request's path, decoded, without the query
        int status = 0;
        std::string range;            // the Range header; empty when none
        std::string acceptEncoding;   // the Accept-Encoding header; empty when none
        std::string contentEncoding;  // of the answer; empty when none
        std::string contentRange;     // of the answer; empty when none
        std::string cacheControl;     // of the answer; empty when none
        long long bodyBytes = 0;      // sent, after compression
    };

    static constexpr const char* kPlainSite = "server { listen @LISTEN@; root @ROOT@; }\n";
    // nginx's variables for the fields of `Request`, in order.
    static constexpr const char* kLogFormat =
        "$request_method\\t$uri\\t$status\\t$http_range\\t$http_accept_encoding\\t"
        "$sent_http_content_encoding\\t$sent_http_content_range\\t$sent_http_cache_control\\t"
        "$body_bytes_sent";

    // `httpExtra`: directives for nginx's http block around the site (a test's own limits, say
    // `limit_rate`), kept out of the site under test.
    explicit NginxServer(const std::string& webRoot, const std::string& site = kPlainSite,
                         const std::string& httpExtra = {});
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    bool running() const { return port_ != 0; }
    int port() const { return port_; }
    // The requests nginx has logged so far (a request is logged once its answer is over).
    std::vector<Request> requests() const;
    // Waits until `done` holds for the logged requests; false when it did not within `timeout`.
    bool waitForRequests(const std::function<bool(const std::vector<Request>&)>& done,
                         std::chrono::milliseconds timeout = std::chrono::seconds(60)) const;
    std::string errorLog() const;

  private:
    bool start(const std::string& webRoot, const std::string& site, const std::string& httpExtra);
    bool waitUntilAccepting(int port);

    TempDir dir_;
    std::unique_ptr<ProgramRun> process_;
    int port_ = 0;
};

// `text` with every "@NAME@" of `values` replaced.
std::string filledTemplate(std::string text,
                           const std::vector<std::pair<std::string, std::string>>& values);

}  // namespace test_support
