// Fetches a remote movie just far enough to tell an SWF from a page, and all of an SWF. The
// control plays a remote SWF from memory through the movie scheme (a page of that secure scheme
// may not fetch plain http:, and the server need not allow cross-origin reads), and lets the
// web view load an HTML page itself. Other content is fetched whole too, to be shown as HTML
// whatever its Content-Type says.
//
// A movie read whole is bounded in size and in time: a fetch that would keep more than
// `FetchLimits::maxBytes`, or that has not ended `FetchLimits::deadline` after it started, fails.
// Each also fails when the connection stalls for 30 s. Main thread only.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace controls::webmovie {

struct FetchLimits {
    std::size_t maxBytes = std::size_t{64} << 20;
    std::chrono::milliseconds deadline = std::chrono::minutes(2);
};

class RemoteFetch {
  public:
    struct Result {
        enum class Kind { Failed, Swf, Page, Document };
        Kind kind = Kind::Failed;
        std::string body;     // Swf, Document: all of it
        std::string charset;  // Document: the charset of its Content-Type, or ""
        std::string error;    // Failed: why
        std::string url{};    // Swf, Page, Document: the URL after the server's redirects
    };
    using Done = std::function<void(Result)>;

    using Limits = FetchLimits;

    explicit RemoteFetch(Limits limits = {}) : limits_(limits) {}
    RemoteFetch(const RemoteFetch&) = delete;
    RemoteFetch& operator=(const RemoteFetch&) = delete;
    ~RemoteFetch() { cancel(); }

    // Starts fetching `url`; `done` runs from the main loop when it is known what it is. A fetch
    // still running is cancelled first: its `done` never runs.
    void start(const std::string& url, Done done);
    // Fetches all of `url` as a Document, whatever it is, without following redirects (a
    // redirect fails with its status).
    void startWhole(const std::string& url, Done done);
    void cancel();

    struct Job;

  private:
    void begin(const std::string& url, Done done, bool whole);

    Limits limits_;
    Job* job_ = nullptr;  // deletes itself when its last callback has run
};

}  // namespace controls::webmovie
