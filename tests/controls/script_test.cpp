#include "controls/scriptmovie/script.h"

#include <gtest/gtest.h>

namespace controls::scriptmovie {
namespace {

// One line per timed event and per handler part, so a table can say what a script means.
std::string describe(const Script& script) {
    std::string out;
    for (const auto& [delay, events] : script.timeline) {
        for (const auto& e : events) {
            out += "after " + std::to_string(delay) + " " + e.command + "|" + e.args + "\n";
        }
    }
    for (const auto& [name, handler] : script.handlers) {
        for (const auto& e : handler.events)
            out += "on " + name + " " + e.command + "|" + e.args + "\n";
        if (handler.reply) out += "on " + name + " reply " + *handler.reply + "\n";
        if (handler.failure) out += "on " + name + " fail " + *handler.failure + "\n";
    }
    return out;
}

struct Case {
    const char* text;
    const char* expected;  // describe() of the script, or the error
};

TEST(ScriptParser, ReadsWellFormedScripts) {
    const Case cases[] = {
        {"", ""},
        {"# comment\n\n   \n  # indented comment\n", ""},
        {"after 500 fscommand quit", "after 500 quit|\n"},
        {"after 0 fscommand say 你好 a & b <c>", "after 0 say|你好 a & b <c>\n"},
        {"after 10\tfscommand  cmd   x  y  \r\n", "after 10 cmd|x  y\n"},
        {"after 4294967295 fscommand late", "after 4294967295 late|\n"},
        {"after 5 fscommand a\nafter 1 fscommand b\nafter 5 fscommand c",
         "after 1 b|\nafter 5 a|\nafter 5 c|\n"},
        {"on Set fscommand show 1\non Set fscommand focus\non Set reply <true/>",
         "on Set show|1\non Set focus|\non Set reply <true/>\n"},
        {"on x reply", "on x reply \n"},
        {"on x fail no video # here", "on x fail no video # here\n"},
        {"\xEF\xBB\xBF# starts with a byte order mark\r\nafter 1 fscommand a", "after 1 a|\n"},
    };
    for (const auto& c : cases) {
        std::string error;
        auto script = parseScript(c.text, &error);
        ASSERT_TRUE(script) << c.text << ": " << error;
        EXPECT_EQ(describe(*script), c.expected) << c.text;
    }
}

TEST(ScriptParser, RefusesMalformedLinesNamingTheLine) {
    const Case cases[] = {
        {"bogus", "line 1: unknown keyword 'bogus' (after or on)"},
        {"AFTER 5 fscommand x", "line 1: unknown keyword 'AFTER' (after or on)"},
        {"# ok\n\nafter soon fscommand x", "line 3: after: 'soon' is not a number of milliseconds"},
        {"after -5 fscommand x", "line 1: after: '-5' is not a number of milliseconds"},
        {"after 4294967296 fscommand x",
         "line 1: after: '4294967296' is not a number of milliseconds"},
        {"after 5 fscmd x", "line 1: after 5: expected fscommand"},
        {"after 5 fscommand  ", "line 1: fscommand without a command name"},
        {"on", "line 1: on without a name"},
        {"on x", "line 1: on x: expected fscommand, reply or fail, not ''"},
        {"on x shout hi", "line 1: on x: expected fscommand, reply or fail, not 'shout'"},
        {"on x fscommand", "line 1: on x: fscommand without a command name"},
        {"on x reply a\non x reply b", "line 2: on x: second reply"},
        {"on x fail", "line 1: on x: fail without a description"},
        {"on x fail a\non x fail b", "line 2: on x: second fail"},
        {"on x reply a\non x fail b", "line 2: on x: reply and fail for one name"},
        {"on x fail b\non x reply a", "line 2: on x: reply and fail for one name"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(parseScript(c.text, &error)) << c.text;
        EXPECT_EQ(error, c.expected) << c.text;
    }
}

}  // namespace
}  // namespace controls::scriptmovie
