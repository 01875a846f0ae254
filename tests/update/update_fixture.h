// A fixture for the update run: an installation directory as the current directory, a witness
// folder beside it that nothing may touch, a local update server and a registry file.
#pragma once

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/headless_fixture.h"
#include "tests/support/http_test_server.h"
#include "tests/support/logged_test.h"
#include "tests/support/scoped_env.h"
#include "tests/update/digest/md5_text.h"
#include "update/config/server_config.h"
#include "update/digest/md5.h"
#include "update/update_manager.h"

namespace update_test {

using md5_test::md5Of;

// Every regular file below `root`, as (relative path, content), in name order.
inline std::vector<std::pair<std::string, std::string>> treeOf(const std::string& root) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        files.emplace_back(std::filesystem::relative(entry.path(), root).string(),
                           test_support::readFile(entry.path().string()));
    }
    std::sort(files.begin(), files.end());
    return files;
}

class UpdateFixture : public test_support::LoggedTest {
  protected:
    void SetUp() override {
        LoggedTest::SetUp();
        test_support::useHeadlessBackend();
        previous_ = std::filesystem::current_path();
        std::filesystem::create_directories(install());
        std::filesystem::create_directories(root_.file("outside"));
        test_support::writeFile(root_.file("outside/keep.txt"), "witness");
        std::filesystem::current_path(install());
        configure(server_.port());
        manager_.setTimeouts({std::chrono::seconds(5), std::chrono::seconds(5)});
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        EXPECT_EQ(treeOf(root_.file("outside")),
                  (std::vector<std::pair<std::string, std::string>>{{"keep.txt", "witness"}}))
            << "nothing outside the installation is touched";
        LoggedTest::TearDown();
    }

    // Runs the update on a worker thread, as the launcher does, while this thread (the windows')
    // handles the messages the update sends it. True when the release was installed;
    // `lastRun_` tells what else the run came to. As the launcher does when no movie control is
    // registered, the control's installer is due unless `controlInstallerDue` says otherwise.
    bool runUpdate(bool controlInstallerDue = true) {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            lastRun_ = manager_.runUpdate(config_, controlInstallerDue);
            done = true;
        });
        test_support::pumpUntil([&] { return done.load(); }, std::chrono::minutes(5));
        worker.join();
        return lastRun_ == update::RunResult::installed;
    }

    std::string install() const { return root_.file("install"); }

    // The update server at 127.0.0.1:port below "/vexo/".
    void configure(int port) {
        test_support::writeFile("config.properties",
                                "server.host=127.0.0.1\nserver.port=" + std::to_string(port) +
                                    "\nserver.path=/vexo/\n");
        loadConfig();
    }
    // Reads config.properties into `config_`, as a start does.
    void loadConfig() {
        const std::optional<update::ServerConfig> loaded = update::loadServerConfig();
        ASSERT_TRUE(loaded);
        config_ = *loaded;
    }

    // Serves `content` as the file `name` and returns its manifest entry.
    update::FileEntry publish(const std::string& name, const std::string& content,
                              const std::string& position = "files/") {
        server_.answer("/vexo/" + position + name, 200, content);
        return entry(name, content, position);
    }
    static update::FileEntry entry(const std::string& name, const std::string& content,
                                   const std::string& position = "files/") {
        update::FileEntry made;
        made.position = position;
        made.name = name;
        made.path = position + name;
        made.md5 = md5Of(content);
        made.length = static_cast<std::int64_t>(content.size());
        return made;
    }
    void release(std::vector<update::FileEntry> files, int updateNo = 2) {
        update::VersionInfo remote;
        remote.updateNo = updateNo;
        remote.versionText = "1.0." + std::to_string(updateNo);
        remote.files = std::move(files);
        remote.valid = true;
        manager_.setRemote(remote);
    }
    // The installation's files, "update/" left out.
    static std::vector<std::pair<std::string, std::string>> installationFiles() {
        auto files = treeOf(".");
        std::erase_if(files, [](const auto& file) { return file.first.starts_with("update/"); });
        return files;
    }
    // What waits in "update/", its receipt and the digest cache of the installed files left out.
    static std::vector<std::pair<std::string, std::string>> stagedFiles() {
        auto files = treeOf("update");
        std::erase_if(files, [](const auto& file) {
            return file.first == ".vexo-receipt" || file.first == ".vexo-digests";
        });
        return files;
    }
    static std::string installed(const std::string& name) { return test_support::readFile(name); }
    static bool exists(const std::string& path) {
        std::error_code error;
        return std::filesystem::exists(std::filesystem::symlink_status(path, error));
    }

    test_support::TempDir root_;
    test_support::ScopedEnv registry_{"VEXO_REGISTRY", root_.file("registry.reg")};
    test_support::HttpTestServer server_;
    update::ServerConfig config_;
    update::UpdateManager manager_;
    update::RunResult lastRun_ = update::RunResult::notInstalled;

  private:
    std::filesystem::path previous_;
};

}  // namespace update_test
