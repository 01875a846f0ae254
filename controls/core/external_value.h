// The values that cross ExternalInterface: what a host passes in a CallFunction request and what
// a movie's callback returns, with their text forms on either side.
#pragma once

#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace controls {

struct ExternalValue;
struct ExternalProperty;
using ExternalArray = std::vector<ExternalValue>;
using ExternalObject = std::vector<ExternalProperty>;  // in property order

struct Undefined {
    bool operator==(const Undefined&) const = default;
};
struct Null {
    bool operator==(const Null&) const = default;
};

struct ExternalValue {
    std::variant<Undefined, Null, bool, double, std::string, ExternalArray, ExternalObject> v;
    bool operator==(const ExternalValue&) const = default;
};

struct ExternalProperty {
    std::string id;
    ExternalValue value;
    bool operator==(const ExternalProperty&) const = default;
};

// The reply text Flash gives for a return value: `<string>a&amp;b</string>`,
// `<number>1.5</number>`,
// `<true/>`, `<false/>`, `<null/>`, `<undefined/>`, and `<array>`/`<object>` of `<property>`s.
std::string toReplyXml(const ExternalValue& value);

// A JavaScript expression that evaluates to `value` (strings escaped for any script context).
std::string toJsLiteral(const ExternalValue& value);

// How Flash writes a number: integers without a fraction, NaN and Infinity by name.
std::string formatNumber(double number);

}  // namespace controls
