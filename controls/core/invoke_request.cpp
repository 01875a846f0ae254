#include "controls/core/invoke_request.h"

#include <charconv>
#include <stdexcept>

#include "controls/core/xml_text.h"

namespace controls {
namespace {

struct Malformed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == ':' || c == '.';
}

// Reads the request front to back; every take* either consumes what it names or throws.
class Reader {
  public:
    explicit Reader(std::string_view text) : s_(text) {}

    void skipSpace() {
        while (!s_.empty() && isSpace(s_.front())) s_.remove_prefix(1);
    }
    bool atEnd() const { return s_.empty(); }
    bool atSpace() const { return !s_.empty() && isSpace(s_.front()); }
    bool peek(std::string_view prefix) const { return s_.starts_with(prefix); }
    bool take(std::string_view prefix) {
        if (!peek(prefix)) return false;
        s_.remove_prefix(prefix.size());
        return true;
    }
    void expect(std::string_view prefix) {
        if (!take(prefix)) throw Malformed("expected " + std::string(prefix) + " at " + where());
    }
    std::string_view takeName() {
        std::size_t end = 0;
        while (end < s_.size() && isNameChar(s_[end])) ++end;
        std::string_view name = s_.substr(0, end);
        s_.remove_prefix(end);
        return name;
    }
    std::string_view takeQuoted() {
        if (s_.empty() || (s_.front() != '"' && s_.front() != '\'')) {
            throw Malformed("expected a quoted attribute value at " + where());
        }
        std::size_t close = s_.find(s_.front(), 1);
        if (close == std::string_view::npos) throw Malformed("unterminated attribute value");
        std::string_view value = s_.substr(1, close - 1);
        s_.remove_prefix(close + 1);
        return value;
    }
    // Everything up to `end`, which is consumed too.
    std::string_view takeUntil(std::string_view end) {
        std::size_t at = s_.find(end);
        if (at == std::string_view::npos) throw Malformed("missing " + std::string(end));
        std::string_view text = s_.substr(0, at);
        s_.remove_prefix(at + end.size());
        return text;
    }
    std::string where() const { return "\"" + std::string(s_.substr(0, 24)) + "\""; }
    // Counts one more argument value against the bound.
    void countValue() {
        if (++values_ > kMaxRequestValues) {
            throw Malformed("more than " + std::to_string(kMaxRequestValues) + " values");
        }
    }

  private:
    std::string_view s_;
    std::size_t values_ = 0;
};

// The attributes of an opening tag up to its '>' or '/>'; returns whether it was '/>'.
bool takeAttributes(Reader& in, std::string_view wanted, std::optional<std::string>& value) {
    for (;;) {
        in.skipSpace();
        if (in.take("/>")) return true;
        if (in.take(">")) return false;
        std::string_view key = in.takeName();
        if (key.empty()) throw Malformed("bad attribute at " + in.where());
        in.skipSpace();
        in.expect("=");
        in.skipSpace();
        std::string_view text = in.takeQuoted();
        if (key == wanted) value = decodeXmlText(text);
    }
}

ExternalValue takeValue(Reader& in, int depth);

// The properties of an array or object `depth` levels deep, up to `close`.
ExternalObject takeProperties(Reader& in, std::string_view close, int depth) {
    if (depth > kMaxRequestNesting) {
        throw Malformed("arrays and objects nested deeper than " +
                        std::to_string(kMaxRequestNesting) + " levels");
    }
    ExternalObject properties;
    for (in.skipSpace(); !in.take(close); in.skipSpace()) {
        in.expect("<property");
        std::optional<std::string> id;
        if (takeAttributes(in, "id", id) || !id) throw Malformed("a <property> needs an id");
        ExternalValue value = takeValue(in, depth);
        in.skipSpace();
        in.expect("</property>");
        properties.push_back({std::move(*id), std::move(value)});
    }
    return properties;
}

ExternalValue takeNumber(Reader& in) {
    // from_chars, unlike strtod, does not depend on the host's locale (GTK sets it).
    std::string text = decodeXmlText(in.takeUntil("</number>"));
    double number = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
        throw Malformed("not a number: " + text);
    }
    return {number};
}

ExternalValue takeCompound(Reader& in, int depth) {
    if (in.take("<array>")) {
        ExternalArray items;
        for (auto& property : takeProperties(in, "</array>", depth + 1)) {
            items.push_back(std::move(property.value));
        }
        return {std::move(items)};
    }
    if (in.take("<object>")) return {takeProperties(in, "</object>", depth + 1)};
    if (in.take("<array/>")) return {ExternalArray{}};
    if (in.take("<object/>")) return {ExternalObject{}};
    throw Malformed("unknown argument at " + in.where());
}

// A value inside `depth` arrays and objects.
ExternalValue takeValue(Reader& in, int depth) {
    in.countValue();
    in.skipSpace();
    if (in.take("<string>")) return {decodeXmlText(in.takeUntil("</string>"))};
    if (in.take("<string/>")) return {std::string()};
    if (in.take("<number>")) return takeNumber(in);
    if (in.take("<true/>")) return {true};
    if (in.take("<false/>")) return {false};
    if (in.take("<null/>")) return {Null{}};
    if (in.take("<undefined/>")) return {Undefined{}};
    return takeCompound(in, depth);
}

std::vector<ExternalValue> takeArguments(Reader& in) {
    std::vector<ExternalValue> arguments;
    in.skipSpace();
    if (in.take("<arguments/>") || !in.take("<arguments>")) return arguments;
    for (in.skipSpace(); !in.take("</arguments>"); in.skipSpace()) {
        arguments.push_back(takeValue(in, 0));
    }
    return arguments;
}

InvokeRequest takeRequest(Reader& in) {
    InvokeRequest request;
    in.skipSpace();
    in.expect("<invoke");
    if (!in.peek(">") && !in.peek("/>") && !in.atSpace()) throw Malformed("expected <invoke");
    std::optional<std::string> name;
    bool empty = takeAttributes(in, "name", name);
    if (!name || name->empty()) throw Malformed("<invoke> has no name");
    request.name = std::move(*name);
    if (!empty) {
        request.arguments = takeArguments(in);
        in.skipSpace();
        in.expect("</invoke>");
    }
    in.skipSpace();
    if (!in.atEnd()) throw Malformed("text after </invoke>: " + in.where());
    return request;
}

}  // namespace

std::optional<InvokeRequest> parseInvokeRequest(std::string_view request, std::string* error) {
    if (request.size() > kMaxRequestBytes) {
        if (error)
            *error =
                "the request is longer than " + std::to_string(kMaxRequestBytes >> 20) + " MiB";
        return std::nullopt;
    }
    Reader in(request);
    try {
        return takeRequest(in);
    } catch (const Malformed& e) {
        if (error) *error = e.what();
        return std::nullopt;
    }
}

}  // namespace controls
