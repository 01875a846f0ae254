#include "controls/webmovie/js_call.h"

#include <memory>

namespace controls::webmovie {
namespace {

constexpr int kMaxDepth = 16;

struct PendingCall {
    bool finished = false;
    bool timedOut = false;
    JsOutcome outcome;
};
using PendingRef = std::shared_ptr<PendingCall>;

std::string takeString(char* text) {
    std::string out = text ? text : "";
    g_free(text);
    return out;
}

void onEvaluated(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<PendingRef> pending(static_cast<PendingRef*>(data));
    GError* error = nullptr;
    JSCValue* value =
        webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
    PendingCall& call = **pending;
    call.finished = true;
    if (value) {
        call.outcome = {true, externalValueOf(value), {}};
        g_object_unref(value);
    } else {
        call.outcome = {false, {}, error ? error->message : "the page gave no value"};
        g_clear_error(&error);
    }
}

gboolean onTimeout(gpointer data) {
    (*static_cast<PendingRef*>(data))->timedOut = true;
    return G_SOURCE_REMOVE;
}

void deletePendingRef(gpointer data) { delete static_cast<PendingRef*>(data); }

ExternalValue convert(JSCValue* value, int depth);

ExternalArray arrayOf(JSCValue* value, int depth) {
    JSCValue* length = jsc_value_object_get_property(value, "length");
    int count = jsc_value_to_int32(length);
    g_object_unref(length);
    ExternalArray items;
    for (int i = 0; i < count; ++i) {
        JSCValue* item = jsc_value_object_get_property_at_index(value, static_cast<guint>(i));
        items.push_back(convert(item, depth + 1));
        g_object_unref(item);
    }
    return items;
}

// The bridge sends an object as {o: [[key, value], ...]}, in property order.
ExternalObject objectOf(JSCValue* value, int depth) {
    ExternalObject properties;
    JSCValue* pairs = jsc_value_object_get_property(value, "o");
    if (jsc_value_is_array(pairs)) {
        for (auto& pair : arrayOf(pairs, depth)) {
            auto* items = std::get_if<ExternalArray>(&pair.v);
            const std::string* key =
                items && items->size() == 2 ? std::get_if<std::string>(&items->front().v) : nullptr;
            if (key) properties.emplace_back(*key, items->back());
        }
    }
    g_object_unref(pairs);
    return properties;
}

ExternalValue convert(JSCValue* value, int depth) {
    if (jsc_value_is_null(value)) return {Null{}};
    if (jsc_value_is_boolean(value)) return {jsc_value_to_boolean(value) != FALSE};
    if (jsc_value_is_number(value)) return {jsc_value_to_double(value)};
    if (jsc_value_is_string(value)) return {takeString(jsc_value_to_string(value))};
    if (depth >= kMaxDepth || jsc_value_is_function(value)) return {Undefined{}};
    if (jsc_value_is_array(value)) return {arrayOf(value, depth)};
    if (jsc_value_is_object(value)) return {objectOf(value, depth)};
    return {Undefined{}};
}

}  // namespace

JsOutcome evaluateAndWait(WebKitWebView* view, const std::string& script, unsigned timeoutMs) {
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
    if (!pending->finished) {
        g_cancellable_cancel(cancellable);
        pending->outcome = {false, {}, "the movie did not answer in time"};
    }
    g_object_unref(cancellable);
    g_object_unref(view);
    return pending->outcome;
}

void evaluateLater(WebKitWebView* view, const std::string& script) {
    webkit_web_view_evaluate_javascript(view, script.data(), static_cast<gssize>(script.size()),
                                        nullptr, nullptr, nullptr, nullptr, nullptr);
}

ExternalValue externalValueOf(JSCValue* value) { return convert(value, 0); }

std::string stringItem(JSCValue* array, unsigned index) {
    if (!jsc_value_is_array(array)) return {};
    JSCValue* item = jsc_value_object_get_property_at_index(array, index);
    std::string text = jsc_value_is_undefined(item) ? "" : takeString(jsc_value_to_string(item));
    g_object_unref(item);
    return text;
}

}  // namespace controls::webmovie
