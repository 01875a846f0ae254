// The network loads of a remote SWF movie. Ruffle rewrites each http(s) URL the movie asks for
// into a relay URL of the movie scheme (relay_url.h); the scheme hands those requests here, and
// the control fetches them with libsoup and answers from the page's own origin, as Flash did:
//   - the movie's own server (same scheme, host and port as the movie's URL after redirects)
//     answers whatever headers it sends;
//   - another server answers only when its /crossdomain.xml lets the movie's host load from it
//     (cross_domain_policy.h), fetched once per server for the life of the relay (one movie);
//     otherwise the load fails, and the movie's error event runs;
//   - a redirect is followed (10 at most) only to where the same rule allows.
// The movie's own URL is answered with the bytes the control fetched already.
//
// Answers are streamed to the page, not held: each is bounded by FetchLimits (64 MiB, 2 minutes
// from the request), and a stalled server gives up after 30 s. Only the request's method, body
// and Content-Type go to the server. Main thread only.
#pragma once

#include <webkit2/webkit2.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/webmovie/remote_fetch.h"

namespace controls::webmovie {

class LoadRelay : public std::enable_shared_from_this<LoadRelay> {
  public:
    // `movieUrl` is the movie's URL after redirects (its fragment is no part of a request) and
    // `movieBytes` its body.
    static std::shared_ptr<LoadRelay> create(std::string movieUrl, std::string movieBytes,
                                             FetchLimits limits = {});

    // Answers `request` (a relay URL) with what `target`, the http(s) URL it stands for,
    // answers, or with an error when the movie may not load it.
    void serve(WebKitURISchemeRequest* request, const std::string& target);

    const FetchLimits& limits() const { return limits_; }

    struct Load;

  private:
    LoadRelay(std::string movieUrl, std::string movieBytes, FetchLimits limits);
    enum class Access { Pending, Allowed, Refused };
    struct ServerPolicy {
        Access access = Access::Pending;
        std::unique_ptr<RemoteFetch> fetch;
        std::vector<std::function<void(bool)>> waiting;
    };
    friend void authorize(Load* load);

    // Calls `then(allowed)` once it is known whether the movie may load `url`; perhaps at once.
    void whetherAllowed(const std::string& url, std::function<void(bool)> then);
    void onPolicy(const std::string& origin, RemoteFetch::Result result);
    void start(Load* load);
    void answerMovie(WebKitURISchemeRequest* request) const;

    std::string movieUrl_, movieOrigin_, movieHost_, movieBytes_;
    FetchLimits limits_;
    std::map<std::string, ServerPolicy> policies_;  // by origin
};

}  // namespace controls::webmovie
