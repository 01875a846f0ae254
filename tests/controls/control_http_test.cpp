#include <httplib.h>

#include <thread>

#include "tests/controls/scriptmovie_harness.h"

namespace scriptmovie_test {
namespace {

// A local web server for the length of one test.
class WebServer {
  public:
    WebServer() {
        server_.Get("/movie.txt", [this](const httplib::Request& req, httplib::Response& res) {
            query_ = req.get_param_value("x");
            res.set_content("after 1 fscommand fromHttp yes\n", "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~WebServer() {
        server_.stop();
        thread_.join();
    }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::string query() const { return query_; }  // read after the transfer completed

  private:
    httplib::Server server_;
    int port_ = 0;
    std::string query_;
    std::thread thread_;
};

TEST_F(ScriptMovieTest, LoadsMoviesOverHttp) {
    WebServer server;
    auto control = create();
    ASSERT_TRUE(load(*control, server.url("/movie.txt?x=42")).ok);
    ASSERT_TRUE(play(*control).ok);
    site_.runTasks();
    EXPECT_EQ(site_.fsCommands(), (std::vector<std::string>{"fromHttp|yes"}));
    EXPECT_EQ(server.query(), "42");

    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(load(*control, server.url("/absent.txt")).ok);
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("/absent.txt"), std::string::npos) << said;
    ASSERT_TRUE(play(*control).ok);
    EXPECT_TRUE(site_.tasks.empty());
}

}  // namespace
}  // namespace scriptmovie_test
