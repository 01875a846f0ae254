#include "controls/webmovie/load_relay.h"

#include <libsoup/soup.h>

#include <cstdio>

#include "controls/webmovie/bounded_stream.h"
#include "controls/webmovie/cross_domain_policy.h"
#include "controls/webmovie/origin_rules.h"
#include "controls/webmovie/remux_stream.h"

namespace controls::webmovie {

struct LoadRelay::Load {
    std::shared_ptr<LoadRelay> relay;
    WebKitURISchemeRequest* request = nullptr;
    std::string url;  // where the load is now, after the redirects so far
    std::string method;
    std::string contentType;
    GBytes* body = nullptr;  // what the page sends, or null
    int redirects = 0;
    GCancellable* stop = g_cancellable_new();  // cancelled at the deadline
    SoupMessage* message = nullptr;

    ~Load() {
        if (message) g_object_unref(message);
        if (body) g_bytes_unref(body);
        g_object_unref(stop);
        g_object_unref(request);
    }
};

namespace {

using Load = LoadRelay::Load;

constexpr int kMaxRedirects = 10;
// What a page may send with a load: the variables of a form, never a movie's worth.
constexpr gsize kMaxRequestBody = 16u << 20;

SoupSession* relaySession() {
    // A connection or transfer that stalls for 30 s fails, so a load always ends.
    static SoupSession* shared =
        soup_session_new_with_options("timeout", 30, "idle-timeout", 30, nullptr);
    return shared;
}

// Ends the load with an error the page sees as a failed load.
void finishFailed(Load* load, const std::string& why) {
    GError* error = g_error_new(G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED, "%s", why.c_str());
    webkit_uri_scheme_request_finish_error(load->request, error);
    g_error_free(error);
    delete load;
}

void fail(Load* load, const std::string& why) {
    std::fprintf(stderr, "webmovie: cannot load %s: %s\n", load->url.c_str(), why.c_str());
    finishFailed(load, why);
}

gboolean onDeadline(gpointer stop) {
    g_cancellable_cancel(G_CANCELLABLE(stop));
    return G_SOURCE_REMOVE;
}

// The body the page sends, read whole (WebKit hands it over from memory); null when none.
GBytes* requestBody(WebKitURISchemeRequest* request) {
    GInputStream* stream = webkit_uri_scheme_request_get_http_body(request);
    if (!stream) return nullptr;
    GBytes* bytes = g_input_stream_read_bytes(stream, kMaxRequestBody, nullptr, nullptr);
    g_object_unref(stream);
    return bytes;
}

std::string headerOf(SoupMessageHeaders* headers, const char* name) {
    const char* value = headers ? soup_message_headers_get_one(headers, name) : nullptr;
    return value ? value : "";
}

// What the page gets: the server's status and type, and `body` bounded by `maxBytes`. A video
// that fails midway ends there (see boundedStreamNew).
void respond(Load* load, GInputStream* body, goffset length, const std::string& type,
             std::uint64_t maxBytes, bool video = false) {
    GInputStream* bounded = boundedStreamNew(body, maxBytes, load->stop, video);
    WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(bounded, length);
    guint status = soup_message_get_status(load->message);
    webkit_uri_scheme_response_set_status(response, status,
                                          soup_message_get_reason_phrase(load->message));
    if (!type.empty()) {
        webkit_uri_scheme_response_set_content_type(response, type.c_str());
        SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
        soup_message_headers_append(headers, "Content-Type", type.c_str());
        webkit_uri_scheme_response_set_http_headers(response, headers);  // takes them
    }
    webkit_uri_scheme_request_finish_with_response(load->request, response);
    g_object_unref(response);
    g_object_unref(bounded);
    delete load;
}

void respondAsSent(Load* load, GInputStream* body, bool video = false) {
    SoupMessageHeaders* received = soup_message_get_response_headers(load->message);
    goffset length = soup_message_headers_get_encoding(received) == SOUP_ENCODING_CONTENT_LENGTH
                         ? soup_message_headers_get_content_length(received)
                         : -1;
    respond(load, body, length, headerOf(received, "Content-Type"), load->relay->limits().maxBytes,
            video);
}

// An MP4-family file goes to the movie as FLV of the same streams (remux_stream.h). The FLV
// is a little larger than the file: a tag header per frame instead of an index entry.
void respondRemuxed(Load* load, GInputStream* body) {
    const std::uint64_t maxBytes = load->relay->limits().maxBytes;
    std::string why;
    GInputStream* flv = remuxToFlv({body, -1, maxBytes, load->url}, load->stop, why);
    if (!flv) return finishFailed(load, why);
    respond(load, flv, -1, "video/x-flv", maxBytes + maxBytes / 8, true);
    g_object_unref(flv);
}

// The first bytes of an answer tell an MP4-family file.
constexpr gsize kHeadBytes = 8;

void onHeadRead(GObject* source, GAsyncResult* result, gpointer data) {
    auto* load = static_cast<Load*>(data);
    GBufferedInputStream* body = G_BUFFERED_INPUT_STREAM(source);
    GError* error = nullptr;
    gssize got = g_buffered_input_stream_fill_finish(body, result, &error);
    if (got < 0) {
        std::string why =
            g_cancellable_is_cancelled(load->stop) ? "no end in time" : error->message;
        g_error_free(error);
        g_object_unref(body);
        return fail(load, why);
    }
    gsize available = 0;
    const void* head = g_buffered_input_stream_peek_buffer(body, &available);
    if (got > 0 && available < kHeadBytes) {
        g_buffered_input_stream_fill_async(body, static_cast<gssize>(kHeadBytes - available),
                                           G_PRIORITY_DEFAULT, load->stop, onHeadRead, load);
        return;
    }
    const std::string_view start(static_cast<const char*>(head), available);
    if (startsMp4Family(start)) {
        respondRemuxed(load, G_INPUT_STREAM(body));
    } else {
        respondAsSent(load, G_INPUT_STREAM(body), start.starts_with("FLV"));
    }
    g_object_unref(body);
}

// A successful answer is looked at before it goes on; anything else goes as it came.
void answer(Load* load, GInputStream* body) {
    if (soup_message_get_status(load->message) != SOUP_STATUS_OK) return respondAsSent(load, body);
    GInputStream* buffered = g_buffered_input_stream_new(body);
    g_buffered_input_stream_fill_async(G_BUFFERED_INPUT_STREAM(buffered), kHeadBytes,
                                       G_PRIORITY_DEFAULT, load->stop, onHeadRead, load);
}

// The URL a redirect leads to, or "" when it names none.
std::string redirectTarget(Load* load) {
    std::string location = headerOf(soup_message_get_response_headers(load->message), "Location");
    if (location.empty()) return {};
    GUri* next = g_uri_parse_relative(soup_message_get_uri(load->message), location.c_str(),
                                      static_cast<GUriFlags>(SOUP_HTTP_URI_FLAGS), nullptr);
    if (!next) return {};
    char* text = g_uri_to_string(next);
    std::string url = text;
    g_free(text);
    g_uri_unref(next);
    return url;
}

bool isFollowedRedirect(guint status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

void authorize(Load* load) {
    load->relay->whetherAllowed(load->url, [load](bool allowed) {
        if (!allowed) return fail(load, "its server has no policy that allows this movie");
        load->relay->start(load);
    });
}

namespace {

void onSent(GObject* session, GAsyncResult* result, gpointer data) {
    auto* load = static_cast<Load*>(data);
    GError* error = nullptr;
    GInputStream* body = soup_session_send_finish(SOUP_SESSION(session), result, &error);
    if (!body) {
        std::string why =
            g_cancellable_is_cancelled(load->stop) ? "no end in time" : error->message;
        g_error_free(error);
        return fail(load, why);
    }
    guint status = soup_message_get_status(load->message);
    std::string next = isFollowedRedirect(status) ? redirectTarget(load) : std::string();
    if (next.empty()) {
        answer(load, body);
        g_object_unref(body);
        return;
    }
    g_object_unref(body);
    if (++load->redirects > kMaxRedirects) return fail(load, "too many redirects");
    if (status == 303 || ((status == 301 || status == 302) && load->method == "POST")) {
        load->method = "GET";
        if (load->body) g_bytes_unref(load->body);
        load->body = nullptr;
    }
    load->url = next;
    authorize(load);
}

}  // namespace

std::shared_ptr<LoadRelay> LoadRelay::create(std::string movieUrl, std::string movieBytes,
                                             FetchLimits limits) {
    return std::shared_ptr<LoadRelay>(
        new LoadRelay(std::move(movieUrl), std::move(movieBytes), limits));
}

LoadRelay::LoadRelay(std::string movieUrl, std::string movieBytes, FetchLimits limits)
    : movieUrl_(movieUrl.substr(0, movieUrl.find('#'))),
      movieOrigin_(originOf(movieUrl_)),
      movieBytes_(std::move(movieBytes)),
      limits_(limits) {
    if (GUri* uri =
            g_uri_parse(movieUrl_.c_str(), static_cast<GUriFlags>(SOUP_HTTP_URI_FLAGS), nullptr)) {
        movieHost_ = g_uri_get_host(uri) ? g_uri_get_host(uri) : "";
        g_uri_unref(uri);
    }
}

void LoadRelay::serve(WebKitURISchemeRequest* request, const std::string& target) {
    const char* method = webkit_uri_scheme_request_get_http_method(request);
    std::string verb = method ? method : "GET";
    if (target == movieUrl_ && verb == "GET") return answerMovie(request);
    auto* load = new Load;
    load->relay = shared_from_this();
    load->request = WEBKIT_URI_SCHEME_REQUEST(g_object_ref(request));
    load->url = target;
    load->method = verb;
    load->contentType =
        headerOf(webkit_uri_scheme_request_get_http_headers(request), "Content-Type");
    load->body = requestBody(request);
    g_timeout_add_full(G_PRIORITY_DEFAULT, static_cast<guint>(limits_.deadline.count()), onDeadline,
                       g_object_ref(load->stop), g_object_unref);
    authorize(load);
}

void LoadRelay::start(Load* load) {
    if (load->message) g_object_unref(load->message);
    load->message = soup_message_new(load->method.c_str(), load->url.c_str());
    if (!load->message) return fail(load, "not a URL");
    soup_message_add_flags(load->message, SOUP_MESSAGE_NO_REDIRECT);
    if (load->body) {
        soup_message_set_request_body_from_bytes(
            load->message, load->contentType.empty() ? nullptr : load->contentType.c_str(),
            load->body);
    }
    soup_session_send_async(relaySession(), load->message, G_PRIORITY_DEFAULT, load->stop, onSent,
                            load);
}

void LoadRelay::whetherAllowed(const std::string& url, std::function<void(bool)> then) {
    std::string origin = originOf(url);
    if (!isWebUrl(url) || origin.empty()) return then(false);
    if (origin == movieOrigin_) return then(true);
    ServerPolicy& policy = policies_[origin];
    if (policy.access != Access::Pending) return then(policy.access == Access::Allowed);
    policy.waiting.push_back(std::move(then));
    if (policy.fetch) return;
    policy.fetch = std::make_unique<RemoteFetch>(FetchLimits{kMaxPolicyBytes, limits_.deadline});
    // The fetch belongs to the relay: when the relay goes, the callback never runs.
    policy.fetch->startWhole(origin + "/crossdomain.xml", [this, origin](RemoteFetch::Result r) {
        onPolicy(origin, std::move(r));
    });
}

void LoadRelay::onPolicy(const std::string& origin, RemoteFetch::Result result) {
    std::optional<CrossDomainPolicy> policy;
    if (result.kind == RemoteFetch::Result::Kind::Document) {
        policy = parseCrossDomainPolicy(result.body);
    }
    bool allowed = policy && policyPermits(*policy, movieHost_, movieOrigin_.starts_with("https:"),
                                           origin.starts_with("https:"));
    ServerPolicy& entry = policies_[origin];
    entry.access = allowed ? Access::Allowed : Access::Refused;
    if (!allowed) {
        std::string why =
            policy ? "" : ": " + (result.error.empty() ? "not a policy" : result.error);
        std::fprintf(stderr, "webmovie: %s/crossdomain.xml does not let %s load from it%s\n",
                     origin.c_str(), movieHost_.c_str(), why.c_str());
    }
    auto waiting = std::move(entry.waiting);
    for (auto& then : waiting) then(allowed);
}

void LoadRelay::answerMovie(WebKitURISchemeRequest* request) const {
    GBytes* bytes = g_bytes_new(movieBytes_.data(), movieBytes_.size());
    GInputStream* stream = g_memory_input_stream_new_from_bytes(bytes);
    WebKitURISchemeResponse* response =
        webkit_uri_scheme_response_new(stream, static_cast<gint64>(movieBytes_.size()));
    webkit_uri_scheme_response_set_content_type(response, "application/x-shockwave-flash");
    webkit_uri_scheme_request_finish_with_response(request, response);
    g_object_unref(response);
    g_object_unref(stream);
    g_bytes_unref(bytes);
}

}  // namespace controls::webmovie
