#include "controls/webmovie/remote_fetch.h"

#include <libsoup/soup.h>

#include "controls/core/movie_source.h"

namespace controls::webmovie {

struct RemoteFetch::Job {
    Job** slot = nullptr;  // where the owner keeps the job; null once cancelled
    Done done;
    FetchLimits limits;
    GCancellable* cancellable = g_cancellable_new();
    guint deadline = 0;  // the timer that ends a fetch that takes too long
    bool expired = false;
    SoupMessage* message = nullptr;
    GInputStream* body = nullptr;
    std::string whole;  // what has been read of a movie read whole
    char head[3] = {};
    bool swf = false;
    bool readAll = false;  // read all of it whatever it is, as a Document

    ~Job() {
        if (deadline) g_source_remove(deadline);
        if (body) g_object_unref(body);
        if (message) g_object_unref(message);
        g_object_unref(cancellable);
    }
};

namespace {

using Job = RemoteFetch::Job;
using Result = RemoteFetch::Result;

constexpr gsize kChunkBytes = 64 * 1024;

SoupSession* session() {
    // A connection or transfer that stalls for 30 s fails, so a load always ends.
    static SoupSession* shared =
        soup_session_new_with_options("timeout", 30, "idle-timeout", 30, nullptr);
    return shared;
}

// Ends the job: its owner forgets it, and `done` runs unless the job was cancelled.
void finish(Job* job, Result result) {
    if (result.kind != Result::Kind::Failed && job->message) {
        char* url = g_uri_to_string(soup_message_get_uri(job->message));
        result.url = url;
        g_free(url);
    }
    if (job->slot) *job->slot = nullptr;
    RemoteFetch::Done done = job->slot ? std::move(job->done) : RemoteFetch::Done();
    delete job;
    if (done) done(std::move(result));
}

// Why `job` failed: its deadline, else `error`, else `fallback`.
Result failed(const Job& job, GError* error, const char* fallback) {
    std::string why = error ? error->message : fallback;
    if (job.expired) {
        why = "no end after " + std::to_string(job.limits.deadline.count() / 1000) + " s";
    }
    g_clear_error(&error);
    return {Result::Kind::Failed, {}, {}, why};
}

gboolean onDeadline(gpointer data) {
    auto* job = static_cast<Job*>(data);
    job->deadline = 0;
    job->expired = true;
    g_cancellable_cancel(job->cancellable);  // the pending read ends, and the job with it
    return G_SOURCE_REMOVE;
}

// The Content-Type's charset parameter, or "".
std::string charsetOf(SoupMessage* message) {
    GHashTable* params = nullptr;
    soup_message_headers_get_content_type(soup_message_get_response_headers(message), &params);
    const char* charset =
        params ? static_cast<const char*>(g_hash_table_lookup(params, "charset")) : nullptr;
    std::string text = charset ? charset : "";
    if (params) g_hash_table_destroy(params);
    return text;
}

// A page WebKit shows as HTML when it loads the URL itself.
bool isHtmlPage(SoupMessage* message) {
    const char* type =
        soup_message_headers_get_content_type(soup_message_get_response_headers(message), nullptr);
    return type && (g_ascii_strcasecmp(type, "text/html") == 0 ||
                    g_ascii_strcasecmp(type, "application/xhtml+xml") == 0);
}

void readMore(Job* job);

// The body so far is complete: a movie read whole.
void finishWhole(Job* job) {
    Result result{
        job->swf && !job->readAll ? Result::Kind::Swf : Result::Kind::Document, {}, {}, {}};
    result.body = std::move(job->whole);
    if (result.kind == Result::Kind::Document) result.charset = charsetOf(job->message);
    finish(job, std::move(result));
}

void onChunk(GObject* source, GAsyncResult* async, gpointer data) {
    auto* job = static_cast<Job*>(data);
    GError* error = nullptr;
    GBytes* chunk = g_input_stream_read_bytes_finish(G_INPUT_STREAM(source), async, &error);
    if (!chunk) return finish(job, failed(*job, error, "reading the movie failed"));
    gsize size = 0;
    const auto* bytes = static_cast<const char*>(g_bytes_get_data(chunk, &size));
    const bool fits = job->whole.size() + size <= job->limits.maxBytes;
    if (fits) job->whole.append(bytes, size);
    g_bytes_unref(chunk);
    if (!fits) {
        std::string why = "larger than " + std::to_string(job->limits.maxBytes) + " bytes";
        return finish(job, {Result::Kind::Failed, {}, {}, std::move(why)});
    }
    if (size == 0) return finishWhole(job);
    readMore(job);
}

void readMore(Job* job) {
    g_input_stream_read_bytes_async(job->body, kChunkBytes, G_PRIORITY_DEFAULT, job->cancellable,
                                    onChunk, job);
}

void onHead(GObject* source, GAsyncResult* async, gpointer data) {
    auto* job = static_cast<Job*>(data);
    gsize read = 0;
    GError* error = nullptr;
    if (!g_input_stream_read_all_finish(G_INPUT_STREAM(source), async, &read, &error)) {
        return finish(job, failed(*job, error, "reading the movie failed"));
    }
    job->swf = looksLikeSwf(std::string_view(job->head, read));
    if (!job->swf && !job->readAll && isHtmlPage(job->message))
        return finish(job, {Result::Kind::Page, {}, {}, {}});
    job->whole.assign(job->head, read);
    readMore(job);
}

void onSent(GObject* source, GAsyncResult* async, gpointer data) {
    auto* job = static_cast<Job*>(data);
    GError* error = nullptr;
    job->body = soup_session_send_finish(SOUP_SESSION(source), async, &error);
    if (!job->body) return finish(job, failed(*job, error, "the request failed"));
    guint status = soup_message_get_status(job->message);
    if (status < 200 || status >= 300) {
        return finish(job, {Result::Kind::Failed, {}, {}, "HTTP status " + std::to_string(status)});
    }
    g_input_stream_read_all_async(job->body, job->head, sizeof job->head, G_PRIORITY_DEFAULT,
                                  job->cancellable, onHead, job);
}

}  // namespace

void RemoteFetch::start(const std::string& url, Done done) { begin(url, std::move(done), false); }

void RemoteFetch::startWhole(const std::string& url, Done done) {
    begin(url, std::move(done), true);
}

void RemoteFetch::begin(const std::string& url, Done done, bool whole) {
    cancel();
    auto* job = new Job;
    job->slot = &job_;
    job->done = std::move(done);
    job->limits = limits_;
    job->readAll = whole;
    job->message = soup_message_new("GET", url.c_str());
    if (!job->message) return finish(job, {Result::Kind::Failed, {}, {}, "not a URL: " + url});
    if (whole) soup_message_add_flags(job->message, SOUP_MESSAGE_NO_REDIRECT);
    job_ = job;
    job->deadline = g_timeout_add(static_cast<guint>(limits_.deadline.count()), onDeadline, job);
    soup_session_send_async(session(), job->message, G_PRIORITY_DEFAULT, job->cancellable, onSent,
                            job);
}

void RemoteFetch::cancel() {
    if (!job_) return;
    job_->slot = nullptr;
    g_cancellable_cancel(job_->cancellable);
    job_ = nullptr;
}

}  // namespace controls::webmovie
