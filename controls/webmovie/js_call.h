// Calling into a movie page from the control, which must answer synchronously.
#pragma once

#include <webkit2/webkit2.h>

#include <string>

#include "controls/webmovie/external_value.h"

namespace controls::webmovie {

struct JsOutcome {
    bool ok = false;
    ExternalValue value;
    std::string error;  // when !ok: the script's exception, a dead page or the time-out
};

// Evaluates `script` in the view's main frame and waits for its value, iterating the thread's
// default main context meanwhile, so that messages from the page (FSCommand events raised by
// the script) are handled and may call back in. Gives up after `timeoutMs`.
JsOutcome evaluateAndWait(WebKitWebView* view, const std::string& script, unsigned timeoutMs);

// Evaluates `script` without waiting for it.
void evaluateLater(WebKitWebView* view, const std::string& script);

// The value the page's bridge sent, objects as {o: [[key, value], ...]}; what ExternalInterface
// cannot carry becomes undefined.
ExternalValue externalValueOf(JSCValue* value);

// The string value of the item `index` of a JavaScript array, "" when it is missing.
std::string stringItem(JSCValue* array, unsigned index);

}  // namespace controls::webmovie
