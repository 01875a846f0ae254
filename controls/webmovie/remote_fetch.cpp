#include "controls/webmovie/remote_fetch.h"

#include <libsoup/soup.h>

#include "controls/webmovie/movie_source.h"

namespace controls::webmovie {

struct RemoteFetch::Job {
    Job** slot = nullptr;  // where the owner keeps the job; null once cancelled
    Done done;
    GCancellable* cancellable = g_cancellable_new();
    SoupMessage* message = nullptr;
    GInputStream* body = nullptr;
    GOutputStream* whole = nullptr;
    char head[3] = {};
    bool swf = false;

    ~Job() {
        if (whole) g_object_unref(whole);
        if (body) g_object_unref(body);
        if (message) g_object_unref(message);
        g_object_unref(cancellable);
    }
};

namespace {

using Job = RemoteFetch::Job;
using Result = RemoteFetch::Result;

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

Result failed(GError* error, const char* fallback) {
    Result result{Result::Kind::Failed, {}, {}, error ? error->message : fallback};
    g_clear_error(&error);
    return result;
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

void onSpliced(GObject* source, GAsyncResult* async, gpointer data) {
    auto* job = static_cast<Job*>(data);
    GError* error = nullptr;
    if (g_output_stream_splice_finish(G_OUTPUT_STREAM(source), async, &error) < 0) {
        return finish(job, failed(error, "reading the movie failed"));
    }
    auto* memory = G_MEMORY_OUTPUT_STREAM(job->whole);
    const char* bytes = static_cast<const char*>(g_memory_output_stream_get_data(memory));
    Result result{job->swf ? Result::Kind::Swf : Result::Kind::Document, {}, {}, {}};
    result.body.assign(bytes ? bytes : "", g_memory_output_stream_get_data_size(memory));
    if (!job->swf) result.charset = charsetOf(job->message);
    finish(job, std::move(result));
}

void onHead(GObject* source, GAsyncResult* async, gpointer data) {
    auto* job = static_cast<Job*>(data);
    gsize read = 0;
    GError* error = nullptr;
    if (!g_input_stream_read_all_finish(G_INPUT_STREAM(source), async, &read, &error)) {
        return finish(job, failed(error, "reading the movie failed"));
    }
    job->swf = looksLikeSwf(std::string_view(job->head, read));
    if (!job->swf && isHtmlPage(job->message)) return finish(job, {Result::Kind::Page, {}, {}, {}});
    job->whole = g_memory_output_stream_new_resizable();
    g_output_stream_write_all(job->whole, job->head, read, nullptr, nullptr, nullptr);
    g_output_stream_splice_async(job->whole, job->body,
                                 GOutputStreamSpliceFlags(G_OUTPUT_STREAM_SPLICE_CLOSE_SOURCE |
                                                          G_OUTPUT_STREAM_SPLICE_CLOSE_TARGET),
                                 G_PRIORITY_DEFAULT, job->cancellable, onSpliced, job);
}

void onSent(GObject* source, GAsyncResult* async, gpointer data) {
    auto* job = static_cast<Job*>(data);
    GError* error = nullptr;
    job->body = soup_session_send_finish(SOUP_SESSION(source), async, &error);
    if (!job->body) return finish(job, failed(error, "the request failed"));
    guint status = soup_message_get_status(job->message);
    if (status < 200 || status >= 300) {
        return finish(job, {Result::Kind::Failed, {}, {}, "HTTP status " + std::to_string(status)});
    }
    g_input_stream_read_all_async(job->body, job->head, sizeof job->head, G_PRIORITY_DEFAULT,
                                  job->cancellable, onHead, job);
}

}  // namespace

void RemoteFetch::start(const std::string& url, Done done) {
    cancel();
    auto* job = new Job;
    job->slot = &job_;
    job->done = std::move(done);
    job->message = soup_message_new("GET", url.c_str());
    if (!job->message) return finish(job, {Result::Kind::Failed, {}, {}, "not a URL: " + url});
    job_ = job;
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
