#include "platform/os/command_line.h"

namespace platform {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t skipBlanks(std::string_view text, std::size_t at) {
    while (at < text.size() && isBlank(text[at])) ++at;
    return at;
}

// The program name: no escapes, quotes only group.
std::size_t readProgram(std::string_view text, std::string& out) {
    std::size_t at = 0;
    if (!text.empty() && text[0] == '"') {
        const auto close = text.find('"', 1);
        out = text.substr(1, close == std::string_view::npos ? close : close - 1);
        return close == std::string_view::npos ? text.size() : close + 1;
    }
    while (at < text.size() && !isBlank(text[at])) out += text[at++];
    return at;
}

// Backslashes before a quote: each pair gives one backslash; an odd one escapes the quote.
// Quotes: an opening and a closing quote are removed; every third quote of a run of quotes
// inside a quoted part is kept literally, the rule the Windows splitter follows.
class ArgumentReader {
  public:
    explicit ArgumentReader(std::string_view text) : text_(text) {}

    std::vector<std::string> readAll(std::size_t at) {
        std::vector<std::string> args;
        while ((at = skipBlanks(text_, at)) < text_.size()) args.push_back(readOne(at));
        return args;
    }

  private:
    std::string readOne(std::size_t& at) {
        std::string arg;
        int quotes = 0;  // 1 inside a quoted part
        std::size_t slashes = 0;
        for (; at < text_.size(); ++at) {
            const char c = text_[at];
            if (isBlank(c) && quotes == 0) break;
            if (c == '\\') {
                ++slashes;
                arg += c;
                continue;
            }
            if (c == '"') {
                quote(arg, slashes, quotes, at);
            } else {
                arg += c;
            }
            slashes = 0;
        }
        return arg;
    }

    void quote(std::string& arg, std::size_t slashes, int& quotes, std::size_t& at) {
        arg.resize(arg.size() - slashes / 2 - (slashes % 2));
        if (slashes % 2 == 1) {
            arg += '"';
            return;
        }
        ++quotes;
        while (at + 1 < text_.size() && text_[at + 1] == '"') {
            ++at;
            if (++quotes == 3) {
                arg += '"';
                quotes = 0;
            }
        }
        if (quotes == 2) quotes = 0;
    }

    std::string_view text_;
};

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view commandLine) {
    std::string program;
    const std::size_t rest = readProgram(commandLine, program);
    std::vector<std::string> args{program};
    for (auto& arg : ArgumentReader(commandLine).readAll(rest)) args.push_back(std::move(arg));
    return args;
}

std::vector<std::string> splitParameters(std::string_view parameters) {
    return ArgumentReader(parameters).readAll(0);
}

std::string quoteArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) {
        return std::string(argument);
    }
    std::string quoted = "\"";
    std::size_t slashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++slashes;
        } else {
            // Backslashes count only before a quote; there each one is doubled.
            if (c == '"') quoted.append(slashes + 1, '\\');
            slashes = 0;
        }
        quoted += c;
    }
    quoted.append(slashes, '\\');
    return quoted + '"';
}

}  // namespace platform
