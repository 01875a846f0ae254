#include "controls/webmovie/js_call.h"

#include <algorithm>
#include <memory>

#include "controls/webmovie/page_text.h"

namespace controls::webmovie {
namespace {

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using ValueRef = std::unique_ptr<JSCValue, Unref>;

struct PendingCall {
    bool finished = false;
    bool timedOut = false;
    ValueRef value;     // when finished with a value
    std::string error;  // when finished without one
};
using PendingRef = std::shared_ptr<PendingCall>;

std::string takeString(char* text) {
    std::string out = text ? text : "";
    g_free(text);
    return out;
}

void onEvaluated(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<PendingRef> pending(static_cast<PendingRef*>(data));
    PendingCall& call = **pending;
    GError* error = nullptr;
    call.value.reset(
        webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error));
    call.finished = true;
    if (!call.value) call.error = error ? error->message : "the page gave no value";
    g_clear_error(&error);
}

gboolean onTimeout(gpointer data) {
    (*static_cast<PendingRef*>(data))->timedOut = true;
    return G_SOURCE_REMOVE;
}

void deletePendingRef(gpointer data) { delete static_cast<PendingRef*>(data); }

struct Refused {
    const char* why;
};

// Converts a reply within its bounds and by the call's deadline; throws Refused beyond them.
class Converter {
  public:
    explicit Converter(gint64 deadline) : deadline_(deadline) {}

    ExternalValue convert(JSCValue* value, int depth) {
        if (++values_ > kReplyMaxValues) throw Refused{"the movie's reply is too large"};
        if (g_get_monotonic_time() > deadline_) throw Refused{"the movie did not answer in time"};
        if (jsc_value_is_null(value)) return {Null{}};
        if (jsc_value_is_boolean(value)) return {jsc_value_to_boolean(value) != FALSE};
        if (jsc_value_is_number(value)) return {jsc_value_to_double(value)};
        if (jsc_value_is_string(value)) return {text(value)};
        if (depth >= kReplyMaxDepth || jsc_value_is_function(value)) return {Undefined{}};
        if (jsc_value_is_array(value)) return {arrayOf(value, depth)};
        if (jsc_value_is_object(value)) return {objectOf(value, depth)};
        return {Undefined{}};
    }

  private:
    // UTF-8 takes at most three bytes for each UTF-16 unit the bridge counts.
    static constexpr std::size_t kMaxTextBytes = 3 * kReplyMaxText;

    std::string text(JSCValue* value) {
        std::string out = takeString(jsc_value_to_string(value));
        textBytes_ += out.size();
        if (textBytes_ > kMaxTextBytes) throw Refused{"the movie's reply is too large"};
        return out;
    }

    static ValueRef item(JSCValue* array, guint index) {
        return ValueRef(jsc_value_object_get_property_at_index(array, index));
    }

    // An array's length, no more than the bound lets through.
    static guint lengthOf(JSCValue* array) {
        ValueRef length(jsc_value_object_get_property(array, "length"));
        double count = jsc_value_is_number(length.get()) ? jsc_value_to_double(length.get()) : 0;
        return count > 0 ? static_cast<guint>(std::min<double>(count, kReplyMaxValues + 1)) : 0;
    }

    ExternalArray arrayOf(JSCValue* value, int depth) {
        ExternalArray items;
        for (guint i = 0, count = lengthOf(value); i < count; ++i) {
            items.push_back(convert(item(value, i).get(), depth + 1));
        }
        return items;
    }

    // The bridge sends an object as {o: [[key, value], ...]}, in property order.
    ExternalObject objectOf(JSCValue* value, int depth) {
        ExternalObject properties;
        ValueRef pairs(jsc_value_object_get_property(value, "o"));
        if (!jsc_value_is_array(pairs.get())) return properties;
        for (guint i = 0, count = lengthOf(pairs.get()); i < count; ++i) {
            ValueRef pair = item(pairs.get(), i);
            ValueRef key = item(pair.get(), 0);
            if (!jsc_value_is_string(key.get())) continue;
            std::string name = text(key.get());
            properties.push_back({std::move(name), convert(item(pair.get(), 1).get(), depth + 1)});
        }
        return properties;
    }

    const gint64 deadline_;
    std::size_t values_ = 0;
    std::size_t textBytes_ = 0;
};

}  // namespace

JsOutcome evaluateAndWait(WebKitWebView* view, const std::string& script, unsigned timeoutMs) {
    const gint64 deadline = g_get_monotonic_time() + gint64{timeoutMs} * 1000;
    auto pending = std::make_shared<PendingCall>();
    GCancellable* cancellable = g_cancellable_new();
    g_object_ref(view);  // a handler run meanwhile may destroy the control
    webkit_web_view_evaluate_javascript(view, script.data(), static_cast<gssize>(script.size()),
                                        nullptr, nullptr, cancellable, onEvaluated,
                                        new PendingRef(pending));
    guint timer = g_timeout_add_full(G_PRIORITY_DEFAULT, timeoutMs, onTimeout,
                                     new PendingRef(pending), deletePendingRef);
    while (!pending->finished && !pending->timedOut) g_main_context_iteration(nullptr, TRUE);
    if (pending->finished && !pending->timedOut) g_source_remove(timer);
    if (!pending->finished) g_cancellable_cancel(cancellable);
    g_object_unref(cancellable);
    g_object_unref(view);
    if (!pending->finished) return {false, {}, "the movie did not answer in time"};
    if (!pending->value) return {false, {}, pending->error};
    std::string error;
    auto value = externalValueOf(pending->value.get(), deadline, &error);
    if (!value) return {false, {}, error};
    return {true, std::move(*value), {}};
}

void evaluateLater(WebKitWebView* view, const std::string& script) {
    webkit_web_view_evaluate_javascript(view, script.data(), static_cast<gssize>(script.size()),
                                        nullptr, nullptr, nullptr, nullptr, nullptr);
}

std::optional<ExternalValue> externalValueOf(JSCValue* value, gint64 deadline, std::string* error) {
    try {
        return Converter(deadline).convert(value, 0);
    } catch (const Refused& refused) {
        if (error) *error = refused.why;
        return std::nullopt;
    }
}

std::string stringItem(JSCValue* array, unsigned index) {
    if (!jsc_value_is_array(array)) return {};
    JSCValue* item = jsc_value_object_get_property_at_index(array, index);
    std::string text = jsc_value_is_undefined(item) ? "" : takeString(jsc_value_to_string(item));
    g_object_unref(item);
    return text;
}

}  // namespace controls::webmovie
