#include "controls/webmovie/bounded_stream.h"

#include <string>

namespace controls::webmovie {
namespace {

struct BoundedStream {
    GInputStream parent;
    GInputStream* base;
    GCancellable* stop;
    std::uint64_t left;
    bool endOnFailure;
    bool passed;  // some bytes have been read
};

struct BoundedStreamClass {
    GInputStreamClass parent;
};

G_DEFINE_TYPE(BoundedStream, bounded_stream, G_TYPE_INPUT_STREAM)

BoundedStream* self(gpointer stream) {
    return G_TYPE_CHECK_INSTANCE_CAST(stream, bounded_stream_get_type(), BoundedStream);
}

// Counts `got` bytes against the limit: the count itself, or -1 with `error` set beyond it.
gssize account(BoundedStream* stream, gssize got, GError** error) {
    if (got < 0) return got;
    if (got > 0) stream->passed = true;
    if (static_cast<std::uint64_t>(got) > stream->left) {
        stream->left = 0;
        g_set_error(error, G_IO_ERROR, G_IO_ERROR_MESSAGE_TOO_LARGE, "the answer is too large");
        return -1;
    }
    stream->left -= static_cast<std::uint64_t>(got);
    return got;
}

gssize readSync(GInputStream* stream, void* buffer, gsize count, GCancellable* cancellable,
                GError** error) {
    BoundedStream* bounded = self(stream);
    if (g_cancellable_set_error_if_cancelled(bounded->stop, error)) return -1;
    return account(bounded, g_input_stream_read(bounded->base, buffer, count, cancellable, error),
                   error);
}

// One asynchronous read: the reader's cancellable, when it has one, cancels `stop`'s child.
struct PendingRead {
    GCancellable* both = g_cancellable_new();
    GCancellable* reader = nullptr;
    gulong readerHandler = 0, stopHandler = 0;
    GCancellable* stop = nullptr;
};

void cancelBoth(GCancellable*, gpointer both) { g_cancellable_cancel(G_CANCELLABLE(both)); }

gboolean freePendingNow(gpointer data) {
    auto* pending = static_cast<PendingRead*>(data);
    if (pending->reader) {
        g_cancellable_disconnect(pending->reader, pending->readerHandler);
        g_object_unref(pending->reader);
    }
    g_cancellable_disconnect(pending->stop, pending->stopHandler);
    g_object_unref(pending->stop);
    g_object_unref(pending->both);
    delete pending;
    return G_SOURCE_REMOVE;
}

// Freed from the main loop, never at once: a base stream may end a read the moment it is
// cancelled, inside the reader's "cancelled" emission, where disconnecting from that cancellable
// would wait for the emission to end, that is for ever.
void freePending(gpointer data) { g_idle_add(freePendingNow, data); }

void onBaseRead(GObject* base, GAsyncResult* result, gpointer data) {
    GTask* task = G_TASK(data);
    GError* error = nullptr;
    gssize got = g_input_stream_read_finish(G_INPUT_STREAM(base), result, &error);
    BoundedStream* bounded = self(g_task_get_source_object(task));
    got = account(bounded, got, &error);
    if (got < 0 && bounded->endOnFailure && bounded->passed) {
        g_clear_error(&error);
        got = 0;
    }
    if (got < 0) {
        g_task_return_error(task, error);
    } else {
        g_task_return_int(task, got);
    }
    g_object_unref(task);
}

void readAsync(GInputStream* stream, void* buffer, gsize count, int priority,
               GCancellable* cancellable, GAsyncReadyCallback callback, gpointer data) {
    BoundedStream* bounded = self(stream);
    GTask* task = g_task_new(stream, cancellable, callback, data);
    auto* pending = new PendingRead;
    pending->stop = G_CANCELLABLE(g_object_ref(bounded->stop));  // it may outlive the stream
    pending->stopHandler =
        g_cancellable_connect(bounded->stop, G_CALLBACK(cancelBoth), pending->both, nullptr);
    if (cancellable) {
        pending->reader = G_CANCELLABLE(g_object_ref(cancellable));
        pending->readerHandler =
            g_cancellable_connect(cancellable, G_CALLBACK(cancelBoth), pending->both, nullptr);
    }
    g_task_set_task_data(task, pending, freePending);
    g_input_stream_read_async(bounded->base, buffer, count, priority, pending->both, onBaseRead,
                              task);
}

gssize readFinish(GInputStream*, GAsyncResult* result, GError** error) {
    return g_task_propagate_int(G_TASK(result), error);
}

gboolean closeSync(GInputStream* stream, GCancellable* cancellable, GError** error) {
    return g_input_stream_close(self(stream)->base, cancellable, error);
}

void onBaseClosed(GObject* base, GAsyncResult* result, gpointer data) {
    GTask* task = G_TASK(data);
    GError* error = nullptr;
    if (g_input_stream_close_finish(G_INPUT_STREAM(base), result, &error)) {
        g_task_return_boolean(task, TRUE);
    } else {
        g_task_return_error(task, error);
    }
    g_object_unref(task);
}

// Closed on the reading thread too: the default would close `base` from a worker thread.
void closeAsync(GInputStream* stream, int priority, GCancellable* cancellable,
                GAsyncReadyCallback callback, gpointer data) {
    GTask* task = g_task_new(stream, cancellable, callback, data);
    g_input_stream_close_async(self(stream)->base, priority, cancellable, onBaseClosed, task);
}

gboolean closeFinish(GInputStream*, GAsyncResult* result, GError** error) {
    return g_task_propagate_boolean(G_TASK(result), error);
}

void bounded_stream_init(BoundedStream*) {}

void finalize(GObject* object) {
    BoundedStream* bounded = self(object);
    g_object_unref(bounded->base);
    g_object_unref(bounded->stop);
    G_OBJECT_CLASS(bounded_stream_parent_class)->finalize(object);
}

void bounded_stream_class_init(BoundedStreamClass* type) {
    G_OBJECT_CLASS(type)->finalize = finalize;
    GInputStreamClass* input = G_INPUT_STREAM_CLASS(type);
    input->read_fn = readSync;
    input->read_async = readAsync;
    input->read_finish = readFinish;
    input->close_fn = closeSync;
    input->close_async = closeAsync;
    input->close_finish = closeFinish;
}

}  // namespace

GInputStream* boundedStreamNew(GInputStream* base, std::uint64_t maxBytes, GCancellable* stop,
                               bool endOnFailure) {
    auto* stream = static_cast<BoundedStream*>(g_object_new(bounded_stream_get_type(), nullptr));
    stream->base = G_INPUT_STREAM(g_object_ref(base));
    stream->stop = G_CANCELLABLE(g_object_ref(stop));
    stream->left = maxBytes;
    stream->endOnFailure = endOnFailure;
    return G_INPUT_STREAM(stream);
}

}  // namespace controls::webmovie
