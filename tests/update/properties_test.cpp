#include <filesystem>
#include <map>

#include "tests/support/fifo.h"
#include "tests/support/file_text.h"
#include "tests/support/logged_test.h"
#include "tests/support/temp_dir.h"
#include "update/config/properties.h"
#include "update/config/server_config.h"

namespace update_test {
namespace {

using namespace std::string_literals;
using update::Properties;
using Pairs = std::map<std::string, std::string>;

void expectPairs(const Properties& table, const Pairs& expected, const std::string& what) {
    EXPECT_EQ(table.size(), expected.size()) << what;
    for (const auto& [key, value] : expected) {
        const auto found = table.get(key);
        ASSERT_TRUE(found.has_value()) << what << ": key [" << key << "]";
        EXPECT_EQ(*found, value) << what << ": key [" << key << "]";
    }
}

struct LineCase {
    const char* what;
    std::string content;
    Pairs pairs;
};

TEST(PropertiesParse, LinesGiveTheirPairs) {
    const LineCase cases[] = {
        {"last line without line break", "a=1\nb=2", {{"a", "1"}, {"b", "2"}}},
        {"comments, even with =", "#a=1\n   # b=2\nc=x # y", {{"c", "x # y"}}},
        {"split at the first =", "a=b=c", {{"a", "b=c"}}},
        {"spaces around key and value", " a  =  b  ", {{"a", "b"}}},
        {"empty key, no =, empty value", "=v\nnoequals\nk=", {{"", "v"}, {"k", ""}}},
        {"CR LF", "a=1\r\nb=2\r\n", {{"a", "1"}, {"b", "2"}}},
        {"CR alone", "a=1\rb=2\r", {{"a", "1"}, {"b", "2"}}},
        {"LF CR", "a=1\n\rb=2", {{"a", "1"}, {"b", "2"}}},
        {"blank lines between", "a=1\n\n\r\n   \n\nb=2\n\n", {{"a", "1"}, {"b", "2"}}},
        {"later value wins", "a=1\nb=x\na=2", {{"a", "2"}, {"b", "x"}}},
        {"keys are case-sensitive", "Server.Host=x", {{"Server.Host", "x"}}},
        {"a tab belongs to the key", "\tserver.host=x", {{"\tserver.host", "x"}}},
        {"tabs in the value stay", "a=\tb\t", {{"a", "\tb\t"}}},
        {"only comments and blanks", "# x\n\n  \n", {}},
        {"empty file", "", {}},
        {"bytes taken as they stand", "名=值\xff\nz=a\0b\n"s, {{"名", "值\xff"}, {"z", "a\0b"s}}},
    };
    for (const LineCase& c : cases) {
        Properties table;
        table.loadText(c.content);
        expectPairs(table, c.pairs, c.what);
    }
}

TEST(PropertiesParse, AbsentKeyGivesNone) {
    Properties table;
    table.loadText("Server.Host=x\n\tserver.port=1\n");
    EXPECT_FALSE(table.get("server.host").has_value());
    EXPECT_FALSE(table.get("server.port").has_value());
}

TEST(PropertiesLoad, ReadsFilesAndKeepsTheTableWhenAFileCannotBeRead) {
    test_support::TempDir dir;
    test_support::writeFile(dir.file("a.properties"), "server.host = example.org\r\nx=1");
    Properties table;
    ASSERT_TRUE(table.load(dir.file("a.properties")));
    expectPairs(table, {{"server.host", "example.org"}, {"x", "1"}}, "first file");

    EXPECT_FALSE(table.load(dir.file("missing.properties")));
    EXPECT_FALSE(table.load(dir.path())) << "a directory is not a readable file";
    expectPairs(table, {{"server.host", "example.org"}, {"x", "1"}}, "after failed loads");

    test_support::writeFile(dir.file("b.properties"), "y=2\n");
    ASSERT_TRUE(table.load(dir.file("b.properties")));
    expectPairs(table, {{"y", "2"}}, "a second load replaces the table");
}

TEST(PropertiesLoad, APipeOrDeviceInTheFilesPlaceIsRefusedWithoutWaiting) {
    test_support::TempDir dir;
    const std::string pipe = dir.file("config.properties");
    ASSERT_TRUE(test_support::makeFifo(pipe));
    Properties table;
    table.loadText("x=1");
    for (const std::string& path : {pipe, std::string("/dev/zero")}) {
        bool loaded = true;
        test_support::runWithoutWaiting([&] { loaded = table.load(path); });
        EXPECT_FALSE(loaded) << path;
        expectPairs(table, {{"x", "1"}}, path);
    }
}

class ServerConfigTest : public test_support::LoggedTest {
  protected:
    update::ServerConfig configure(const std::string& content) {
        test_support::writeFile("config.properties", content);
        const std::optional<update::ServerConfig> loaded = update::loadServerConfig();
        EXPECT_TRUE(loaded);
        return loaded.value_or(update::ServerConfig());
    }
    test_support::InTempDir cwd_;
};

TEST_F(ServerConfigTest, LoadsFromTheCurrentDirectoryAndLogsTheOutcome) {
    EXPECT_FALSE(update::loadServerConfig());
    EXPECT_EQ(logged(), std::vector<std::string>{"读config.properties配置失败!"});
    const update::ServerConfig config =
        configure("server.host=10.0.0.1\nserver.port=8080\nserver.path=/vexo/\n");
    EXPECT_TRUE(wasLogged("成功读取(config.properties)配置信息."));
    EXPECT_EQ(config.host, "10.0.0.1");
    EXPECT_EQ(config.port, 8080);
    EXPECT_EQ(config.path, "/vexo/");
    EXPECT_EQ(config.publicKey, std::nullopt) << "no key line: unsigned releases are accepted";
    EXPECT_EQ(update::clientMovieUrl(config), "http://10.0.0.1:8080/vexo/client.swf");
}

TEST_F(ServerConfigTest, AKeyLineAnEmptyOneIncludedAsksForSignedReleases) {
    EXPECT_EQ(configure("update.publicKey = abc=\n").publicKey, "abc=");
    EXPECT_EQ(configure("update.publicKey=\n").publicKey, "");
}

TEST_F(ServerConfigTest, PortsConvertLikeAtoi) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"8080", 8080},
        {" 8080", 8080},
        {"8080abc", 8080},
        {"abc", 0},
        {"", 0},
        {"-12", -12},
        {"+7", 7},
        {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
    };
    for (const auto& [text, port] : cases) {
        EXPECT_EQ(configure(std::string("server.port=") + text + "\n").port, port)
            << "[" << text << "]";
    }
}

TEST_F(ServerConfigTest, MissingKeysCountAsEmpty) {
    const update::ServerConfig config = configure("server.port=0\n");
    EXPECT_EQ(config.host, "");
    EXPECT_EQ(config.path, "");
    EXPECT_EQ(update::clientMovieUrl(config), "http://:0client.swf");
}

}  // namespace
}  // namespace update_test
