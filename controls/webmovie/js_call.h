// Calling into a movie page from the control, which must answer synchronously.
#pragma once

#include <webkit2/webkit2.h>

#include <optional>
#include <string>

#include "controls/core/external_value.h"

namespace controls::webmovie {

struct JsOutcome {
    bool ok = false;
    ExternalValue value;
    std::string error;  // when !ok: the script's exception, a dead page or the time-out
};

// Evaluates `script` in the view's main frame and waits for its value, iterating the thread's
// default main context meanwhile, so that messages from the page (FSCommand events raised by
// the script) are handled and may call back in. Gives up after `timeoutMs`, which covers the
// conversion of the value too; a value beyond the reply's bounds (page_text.h) fails.
JsOutcome evaluateAndWait(WebKitWebView* view, const std::string& script, unsigned timeoutMs);

// Evaluates `script` without waiting for it.
void evaluateLater(WebKitWebView* view, const std::string& script);

// The value the page's bridge sent, objects as {o: [[key, value], ...]}; what ExternalInterface
// cannot carry, and what lies deeper than the bound, becomes undefined. Nullopt with `error`
// set when the value holds more values or text than a reply may, or when the conversion is
// still running at `deadline` (g_get_monotonic_time's clock).
std::optional<ExternalValue> externalValueOf(JSCValue* value, gint64 deadline, std::string* error);

// The string value of the item `index` of a JavaScript array, "" when it is missing.
std::string stringItem(JSCValue* array, unsigned index);

}  // namespace controls::webmovie
