#include "controls/webmovie/remux_stream.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <utility>

#include "controls/webmovie/bounded_stream.h"
#include "controls/webmovie/movie_scheme.h"

namespace controls::webmovie {
namespace {

int running = 0;  // remuxers started and not yet reaped

void reportCannotStream(const std::string& location, const std::string& why) {
    std::fprintf(stderr, "webmovie: cannot stream %s: %s\n", location.c_str(), why.c_str());
}

// One remuxer process, shared by its output stream, its input pump and its reaper.
struct Remux : std::enable_shared_from_this<Remux> {
    GSubprocess* process = nullptr;
    std::string location;
    std::uint64_t maxBytes = 0;
    std::string reason;  // why the control stopped it, when it did
    bool exited = false;
    bool reported = false;
    GTask* endWaiting = nullptr;  // a read that met the end of the output before the exit
    GCancellable* pumpStop = g_cancellable_new();
    GCancellable* stop = nullptr;
    gulong stopHandler = 0;

    ~Remux() {
        if (stop) {
            // Not g_cancellable_disconnect: this may run inside the emission of `stop`, which
            // that would wait for; everything here runs on one thread.
            g_signal_handler_disconnect(stop, stopHandler);
            g_object_unref(stop);
        }
        g_object_unref(pumpStop);
        g_object_unref(process);
    }
    void kill() {
        g_cancellable_cancel(pumpStop);
        if (!exited) g_subprocess_force_exit(process);
    }
    void report(const std::string& why) {
        if (reported) return;
        reported = true;
        reportCannotStream(location, why);
    }
};
using RemuxPtr = std::shared_ptr<Remux>;

// The first line the remuxer wrote to stderr, in printable ASCII: it has exited, so the read
// cannot block.
std::string remuxerMessage(Remux& remux) {
    char text[512];
    gssize got = g_input_stream_read(g_subprocess_get_stderr_pipe(remux.process), text, sizeof text,
                                     nullptr, nullptr);
    std::string line;
    for (gssize i = 0; i < got && text[i] != '\n'; ++i) {
        if (text[i] >= 0x20 && text[i] < 0x7F) line += text[i];
    }
    return line;
}

// Ends a read that met the end of the output: the end of the stream when the remuxer
// succeeded, else an error, as a broken connection's.
// Once the remuxer has exited: nothing when it succeeded, else why it failed, reported.
std::optional<std::string> failureOf(Remux& remux) {
    if (remux.reason.empty() && g_subprocess_get_successful(remux.process)) return std::nullopt;
    std::string why = remux.reason;
    if (why.empty()) why = remuxerMessage(remux);
    if (why.empty()) why = "the remuxer stopped at one of its bounds";
    remux.report(why);
    return why;
}

void finishEnd(Remux& remux, GTask* task) {
    if (auto why = failureOf(remux)) {
        g_task_return_new_error(task, G_IO_ERROR, G_IO_ERROR_FAILED, "%s", why->c_str());
    } else {
        g_task_return_int(task, 0);
    }
}

void onReaped(GObject* process, GAsyncResult* result, gpointer data) {
    std::unique_ptr<RemuxPtr> remux(static_cast<RemuxPtr*>(data));
    g_subprocess_wait_finish(G_SUBPROCESS(process), result, nullptr);
    (*remux)->exited = true;
    --running;
    if (GTask* task = std::exchange((*remux)->endWaiting, nullptr)) {
        finishEnd(**remux, task);
        g_object_unref(task);
    }
}

void onStop(GCancellable*, gpointer data) {
    const RemuxPtr keep = static_cast<Remux*>(data)->shared_from_this();  // kill() may drop others
    Remux& remux = *keep;
    if (remux.reason.empty()) remux.reason = "no end in time";
    remux.report(remux.reason);
    remux.kill();
}

void onPumped(GObject* target, GAsyncResult* result, gpointer data) {
    std::unique_ptr<RemuxPtr> remux(static_cast<RemuxPtr*>(data));
    GError* error = nullptr;
    if (g_output_stream_splice_finish(G_OUTPUT_STREAM(target), result, &error) >= 0) return;
    Remux& state = **remux;
    // A remuxer that stopped reading has finished or failed: a broken pipe is its to explain,
    // and a cancelled pump was stopped on purpose.
    bool ownEnd = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_BROKEN_PIPE) ||
                  g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
    if (!ownEnd && state.reason.empty()) {
        state.reason = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_MESSAGE_TOO_LARGE)
                           ? "the file is larger than " + std::to_string(state.maxBytes) + " bytes"
                           : error->message;
        state.kill();
    }
    g_error_free(error);
}

// --- the output stream -----------------------------------------------------------------------

struct RemuxStream {
    GInputStream parent;
    GInputStream* out;  // the remuxer's stdout
    RemuxPtr* remux;
};

struct RemuxStreamClass {
    GInputStreamClass parent;
};

G_DEFINE_TYPE(RemuxStream, remux_stream, G_TYPE_INPUT_STREAM)

RemuxStream* self(gpointer stream) {
    return G_TYPE_CHECK_INSTANCE_CAST(stream, remux_stream_get_type(), RemuxStream);
}

void onOutRead(GObject* out, GAsyncResult* result, gpointer data) {
    GTask* task = G_TASK(data);
    GError* error = nullptr;
    gssize got = g_input_stream_read_finish(G_INPUT_STREAM(out), result, &error);
    Remux& remux = **self(g_task_get_source_object(task))->remux;
    if (got < 0) {
        g_task_return_error(task, error);
    } else if (got > 0) {
        g_task_return_int(task, got);
    } else if (remux.exited) {
        finishEnd(remux, task);
    } else {
        remux.endWaiting = task;  // the reaper ends it
        return;
    }
    g_object_unref(task);
}

void readAsync(GInputStream* stream, void* buffer, gsize count, int priority,
               GCancellable* cancellable, GAsyncReadyCallback callback, gpointer data) {
    GTask* task = g_task_new(stream, cancellable, callback, data);
    g_input_stream_read_async(self(stream)->out, buffer, count, priority, cancellable, onOutRead,
                              task);
}

gssize readFinish(GInputStream*, GAsyncResult* result, GError** error) {
    return g_task_propagate_int(G_TASK(result), error);
}

// For completeness: WebKit reads asynchronously.
gssize readSync(GInputStream* stream, void* buffer, gsize count, GCancellable* cancellable,
                GError** error) {
    RemuxStream* remux = self(stream);
    gssize got = g_input_stream_read(remux->out, buffer, count, cancellable, error);
    if (got != 0) return got;
    Remux& state = **remux->remux;
    if (!g_subprocess_wait(state.process, cancellable, error)) return -1;
    auto why = failureOf(state);
    if (!why) return 0;
    g_set_error(error, G_IO_ERROR, G_IO_ERROR_FAILED, "%s", why->c_str());
    return -1;
}

gboolean closeSync(GInputStream* stream, GCancellable*, GError** error) {
    RemuxStream* remux = self(stream);
    (*remux->remux)->kill();
    return g_input_stream_close(remux->out, nullptr, error);
}

// Closing kills the remuxer and closes a pipe: nothing that blocks, so it stays on the thread
// that reads rather than going to a worker, as the default would.
void closeAsync(GInputStream* stream, int, GCancellable* cancellable, GAsyncReadyCallback callback,
                gpointer data) {
    GTask* task = g_task_new(stream, cancellable, callback, data);
    GError* error = nullptr;
    if (closeSync(stream, cancellable, &error)) {
        g_task_return_boolean(task, TRUE);
    } else {
        g_task_return_error(task, error);
    }
    g_object_unref(task);
}

gboolean closeFinish(GInputStream*, GAsyncResult* result, GError** error) {
    return g_task_propagate_boolean(G_TASK(result), error);
}

void remux_stream_init(RemuxStream*) {}

void finalize(GObject* object) {
    RemuxStream* remux = self(object);
    (*remux->remux)->kill();
    g_object_unref(remux->out);
    delete remux->remux;
    G_OBJECT_CLASS(remux_stream_parent_class)->finalize(object);
}

void remux_stream_class_init(RemuxStreamClass* type) {
    G_OBJECT_CLASS(type)->finalize = finalize;
    GInputStreamClass* input = G_INPUT_STREAM_CLASS(type);
    input->read_fn = readSync;
    input->read_async = readAsync;
    input->read_finish = readFinish;
    input->close_fn = closeSync;
    input->close_async = closeAsync;
    input->close_finish = closeFinish;
}

// --- starting it -----------------------------------------------------------------------------

// The remuxer dies with the process that started it, whatever kills that.
void dieWithParent(gpointer) { prctl(PR_SET_PDEATHSIG, SIGKILL); }

// Writing to the pipe of a remuxer that has exited must fail the write, not end the host.
void ignoreBrokenPipes() {
    struct sigaction current {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        signal(SIGPIPE, SIG_IGN);
    }
}

GSubprocess* spawnRemuxer(RemuxInput& input, std::string& why) {
    auto flags = static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDOUT_PIPE |
                                               G_SUBPROCESS_FLAGS_STDERR_PIPE |
                                               (input.fd < 0 ? G_SUBPROCESS_FLAGS_STDIN_PIPE : 0));
    GSubprocessLauncher* launcher = g_subprocess_launcher_new(flags);
    if (input.fd >= 0) g_subprocess_launcher_take_stdin_fd(launcher, input.fd);
    input.fd = -1;
    g_subprocess_launcher_set_child_setup(launcher, dieWithParent, nullptr, nullptr);
    const std::string program = libraryDirectory() + "/vexo-flv-remux";
    const std::string maxBytes = std::to_string(input.maxBytes);
    GError* error = nullptr;
    GSubprocess* process = g_subprocess_launcher_spawn(launcher, &error, program.c_str(),
                                                       "--max-bytes", maxBytes.c_str(), nullptr);
    g_object_unref(launcher);
    if (!process) {
        why = error->message;
        g_error_free(error);
    }
    return process;
}

}  // namespace

bool startsMp4Family(std::string_view head) {
    if (head.size() < 8) return false;
    std::string_view type = head.substr(4, 4);
    return type == "ftyp" || type == "moov" || type == "mdat" || type == "wide";
}

GInputStream* remuxToFlv(RemuxInput input, GCancellable* stop, std::string& why) {
    if (running >= kMaxRemuxers) {
        if (input.fd >= 0) close(input.fd);
        why = "too many videos at once";
        reportCannotStream(input.location, why);
        return nullptr;
    }
    ignoreBrokenPipes();
    GSubprocess* process = spawnRemuxer(input, why);
    if (!process) {
        reportCannotStream(input.location, why);
        return nullptr;
    }
    ++running;
    auto remux = std::make_shared<Remux>();
    remux->process = process;
    remux->location = input.location;
    remux->maxBytes = input.maxBytes;
    g_subprocess_wait_async(process, nullptr, onReaped, new RemuxPtr(remux));
    if (input.stream) {
        GInputStream* bounded = boundedStreamNew(input.stream, input.maxBytes, remux->pumpStop);
        g_output_stream_splice_async(
            g_subprocess_get_stdin_pipe(process), bounded,
            static_cast<GOutputStreamSpliceFlags>(G_OUTPUT_STREAM_SPLICE_CLOSE_SOURCE |
                                                  G_OUTPUT_STREAM_SPLICE_CLOSE_TARGET),
            G_PRIORITY_DEFAULT, remux->pumpStop, onPumped, new RemuxPtr(remux));
        g_object_unref(bounded);
    }
    auto* stream = static_cast<RemuxStream*>(g_object_new(remux_stream_get_type(), nullptr));
    stream->out = G_INPUT_STREAM(g_object_ref(g_subprocess_get_stdout_pipe(process)));
    stream->remux = new RemuxPtr(remux);
    if (stop) {
        remux->stop = G_CANCELLABLE(g_object_ref(stop));
        remux->stopHandler = g_cancellable_connect(stop, G_CALLBACK(onStop), remux.get(), nullptr);
    }
    return G_INPUT_STREAM(stream);
}

}  // namespace controls::webmovie
