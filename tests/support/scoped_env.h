// An environment variable set, or unset, for the life of an object, then restored.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

namespace test_support {

class ScopedEnv {
  public:
    // Sets `name` to `value`; with no value, unsets it.
    explicit ScopedEnv(std::string name, const std::optional<std::string>& value = std::nullopt)
        : name_(std::move(name)), previous_(current(name_)) {
        apply(value);
    }
    ~ScopedEnv() { apply(previous_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    static std::optional<std::string> current(const std::string& name) {
        const char* value = std::getenv(name.c_str());
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    void apply(const std::optional<std::string>& value) const {
        if (value)
            setenv(name_.c_str(), value->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }

    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace test_support
