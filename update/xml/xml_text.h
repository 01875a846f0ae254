// A node's text: a byte string, or none when it was never set.
#pragma once

#include <cstring>
#include <optional>
#include <string>

namespace update {

// Exact byte comparison of two texts, either of which may be none; none equals only none.
inline bool sameText(const char* a, const char* b) {
    if (!a || !b) return !a && !b;
    return std::strcmp(a, b) == 0;
}

class XmlText {
  public:
    XmlText() = default;
    explicit XmlText(const char* text) { set(text); }

    // The text, or nullptr for none.
    const char* get() const { return value_ ? value_->c_str() : nullptr; }
    // Replaces the text; nullptr changes nothing. The old storage is reused when it fits.
    void set(const char* text) {
        if (text) value_ = text;
    }
    bool equals(const char* text) const { return sameText(get(), text); }

  private:
    std::optional<std::string> value_;
};

}  // namespace update
