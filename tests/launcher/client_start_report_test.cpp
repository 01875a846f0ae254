// The start report as the launcher sends it: the identifier from a registry file of the
// test's own, the log server named by VEXO_LOG_SERVER, a local server answering.
#include "launcher/client_start_report.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/os/registry.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/http_test_server.h"
#include "tests/support/scoped_env.h"

namespace {

using test_support::RawHttpServer;

constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Qorvane\\VexoClient";
constexpr const char* kNoContent = "HTTP/1.1 204 No Content\r\n\r\n";
constexpr const char* kNotFound = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";

class ClientStartReportTest : public ::testing::Test {
  protected:
    void identifier(const platform::RegistryValue& value) {
        platform::Registry registry;
        registry.setValue(kKey, "GUID", value);
        ASSERT_TRUE(registry.save(dir.file("registry.reg")));
    }
    // Sends the report to a server that answers `reply`; returns the request line it got.
    std::string report(const std::string& reply, bool expected) {
        RawHttpServer server(reply);
        test_support::ScopedEnv logServer("VEXO_LOG_SERVER",
                                          "127.0.0.1:" + std::to_string(server.port()));
        EXPECT_EQ(launcher::sendClientStartReport(), expected);
        const std::string request = server.lastRequest();
        return request.substr(0, request.find("\r\n"));
    }

    test_support::TempDir dir;
    test_support::ScopedEnv registryFile{"VEXO_REGISTRY", dir.file("registry.reg")};
};

TEST_F(ClientStartReportTest, WithoutAnIdentifierThePathEndsAfterTheFixedFields) {
    EXPECT_EQ(launcher::readClientIdentifier(), "");
    EXPECT_EQ(report(kNoContent, true), "GET /clientlog?log=1:1:2_1: HTTP/1.1");
    platform::Registry other;
    other.setValue(kKey, "Other", "x");
    ASSERT_TRUE(other.save(dir.file("registry.reg")));
    EXPECT_EQ(report(kNotFound, false), "GET /clientlog?log=1:1:2_1: HTTP/1.1");
}

TEST_F(ClientStartReportTest, TheIdentifierIsSentAsItStandsAndOnly2xxIsASuccess) {
    identifier("{6F9619FF-8B86-D011-B42D-00C04FC964FF}");
    const std::string line =
        "GET /clientlog?log=1:1:2_1:{6F9619FF-8B86-D011-B42D-00C04FC964FF} HTTP/1.1";
    EXPECT_EQ(report(kNoContent, true), line);
    EXPECT_EQ(report(kNotFound, false), line);
    EXPECT_EQ(report("HTTP/1.1 500 Oops\r\nContent-Length: 0\r\n\r\n", false), line);
}

TEST_F(ClientStartReportTest, AnIdentifierLongerThan259CharactersIsLeftOut) {
    identifier(std::string(259, 'a'));
    EXPECT_EQ(launcher::readClientIdentifier(), std::string(259, 'a'));
    identifier(std::string(260, 'a'));
    EXPECT_EQ(launcher::readClientIdentifier(), "");
    identifier(std::uint32_t{42});
    EXPECT_EQ(launcher::readClientIdentifier(), "42");
}

// The identifier comes from a file any program of the user can write: it must not be able to
// end the request line and add headers of its own.
TEST_F(ClientStartReportTest, AnIdentifierWithLineBreaksCannotAddToTheRequest) {
    identifier("id 1\r\nX-Injected: \"yes\"");
    RawHttpServer server(kNoContent);
    test_support::ScopedEnv logServer("VEXO_LOG_SERVER",
                                      "127.0.0.1:" + std::to_string(server.port()));
    EXPECT_TRUE(launcher::sendClientStartReport());
    const std::string request = server.lastRequest();
    const std::string line = request.substr(0, request.find("\r\n"));
    EXPECT_EQ(line, "GET /clientlog?log=1:1:2_1:id%201%0D%0AX-Injected:%20\"yes\" HTTP/1.1");
    EXPECT_EQ(request.find("\nX-Injected"), std::string::npos) << request;
}

TEST_F(ClientStartReportTest, TheEnvironmentNamesTheLogServerElseTheBuildSettingHolds) {
    EXPECT_EQ(launcher::logServer().host, VEXO_LOG_SERVER_HOST);
    EXPECT_EQ(launcher::logServer().port, VEXO_LOG_SERVER_PORT);
    for (const char* bad : {"", "host", "host:", ":80", "host:http", "host:65536", "host:-1"}) {
        test_support::ScopedEnv logServer("VEXO_LOG_SERVER", bad);
        EXPECT_EQ(launcher::logServer().host, VEXO_LOG_SERVER_HOST) << bad;
        EXPECT_EQ(launcher::logServer().port, VEXO_LOG_SERVER_PORT) << bad;
    }
    test_support::ScopedEnv logServer("VEXO_LOG_SERVER", "[::1]:8080");
    EXPECT_EQ(launcher::logServer().host, "[::1]");
    EXPECT_EQ(launcher::logServer().port, 8080);
}

}  // namespace
