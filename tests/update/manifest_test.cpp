#include <filesystem>

#include "tests/support/file_text.h"
#include "tests/support/http_test_server.h"
#include "tests/support/logged_test.h"
#include "tests/support/temp_dir.h"
#include "update/config/server_config.h"
#include "update/manifest/manifest.h"

namespace update_test {
namespace {

using update::VersionInfo;

// A remote manifest whose `latest-ver` holds `inner`.
std::string remote(const std::string& inner) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root><latest-ver>" + inner +
           "</latest-ver></root>";
}

std::string fileElement(const std::string& tag, const std::string& position,
                        const std::string& name) {
    return "<" + tag + "><position>" + position + "</position><name>" + name +
           "</name><md5-code>0123456789abcdef0123456789abcdef</md5-code><length>12</length></" +
           tag + ">";
}

using ManifestTest = test_support::LoggedTest;

TEST_F(ManifestTest, ARemoteManifestGivesItsVersionAndFilesInOrder) {
    const std::string text =
        remote("<files>" + fileElement("file", "bin/", "VexoClient.exe") + "<!-- x -->" +
               fileElement("other", "", "Plus/install_flashplayer.exe") +
               "</files><no>2.0.15</no><flash-no>11.1</flash-no><update-no>7</update-no>" +
               "<ignored>1</ignored>");
    VersionInfo info;
    ASSERT_TRUE(update::parseRemoteVersion(text, info));
    EXPECT_TRUE(info.valid);
    EXPECT_EQ(info.updateNo, 7);
    EXPECT_EQ(info.versionText, "2.0.15");
    EXPECT_EQ(std::tie(info.major, info.minor, info.build), std::make_tuple(2, 0, 15));
    EXPECT_EQ(std::tie(info.flashMajor, info.flashMinor), std::make_tuple(11, 1));
    ASSERT_EQ(info.files.size(), 2u);
    EXPECT_EQ(info.files[0].path, "bin/VexoClient.exe");
    EXPECT_EQ(info.files[0].name, "VexoClient.exe");
    EXPECT_EQ(info.files[0].position, "bin/");
    EXPECT_EQ(info.files[0].md5, "0123456789abcdef0123456789abcdef");
    EXPECT_EQ(info.files[0].length, 12);
    EXPECT_EQ(info.files[1].path, "Plus/install_flashplayer.exe");
    const std::vector<std::string> expected{"ver.no is 2.0.15",
                                            "ver.no is entry count is 3",
                                            "主版本号:2",
                                            "次版本号:0",
                                            "构建码:15",
                                            "预更新的文件数量:2",
                                            "所有预下载的文件信息:",
                                            "bin/VexoClient.exe",
                                            "Plus/install_flashplayer.exe"};
    EXPECT_EQ(logged(), expected);
}

struct ParseCase {
    const char* what;
    std::string inner;
    bool parses;
    const char* message;  // the last line logged
};

TEST_F(ManifestTest, MissingOrMalformedValuesFailWithTheirMessage) {
    const char* const noFlash = "版本号(latest-ver->flash-no)格式不对!";
    const char* const badNo = "版本号(latest-ver->no)格式不对!";
    const ParseCase cases[] = {
        {"no update-no", "<no>1.2.3</no>", false, "latest-ver->update-no节点不存在!"},
        {"capitals are another name", "<Update-No>1</Update-No><no>1.2.3</no>", false,
         "latest-ver->update-no节点不存在!"},
        {"no no", "<update-no>1</update-no>", false, "latest-ver->no节点不存在!"},
        {"flash one piece", "<update-no>1</update-no><flash-no>11</flash-no><no>1.2.3</no>", false,
         noFlash},
        {"flash three pieces", "<update-no>1</update-no><flash-no>11.1.2</flash-no><no>1.2.3</no>",
         false, noFlash},
        {"no two pieces", "<update-no>1</update-no><no>2.0</no>", false, badNo},
        {"no four pieces", "<update-no>1</update-no><no>1.2.3.4</no>", false, badNo},
        {"empty no", "<update-no>1</update-no><no/>", false, badNo},
        {"no files", "<update-no>1</update-no><no>1.2.3</no>", true, "构建码:3"},
        {"empty files", "<update-no>1</update-no><no>1.2.3</no><files/>", true,
         "所有预下载的文件信息:"},
    };
    for (const ParseCase& c : cases) {
        VersionInfo info;
        info.valid = true;
        EXPECT_EQ(update::parseRemoteVersion(remote(c.inner), info), c.parses) << c.what;
        EXPECT_EQ(info.valid, c.parses) << c.what;
        EXPECT_EQ(logged().back(), c.message) << c.what;
        EXPECT_TRUE(info.files.empty()) << c.what;
    }
}

TEST_F(ManifestTest, AFailedParseKeepsWhatWasReadBefore) {
    VersionInfo info;
    const std::string text = "<update-no>5</update-no><flash-no>11.</flash-no><no>2.0</no>";
    EXPECT_FALSE(update::parseRemoteVersion(remote(text), info));
    EXPECT_EQ(info.updateNo, 5);
    EXPECT_EQ(std::tie(info.flashMajor, info.flashMinor), std::make_tuple(11, 0)) << "11. is 11.0";
    EXPECT_EQ(info.versionText, "2.0");
    EXPECT_FALSE(info.valid);
}

TEST_F(ManifestTest, TheDocumentMustBeXmlWithLatestVer) {
    VersionInfo info;
    EXPECT_FALSE(update::parseRemoteVersion("<root><latest-ver>", info));
    EXPECT_EQ(logged(), std::vector<std::string>{"remote version.xml文件格式错误!"});
    EXPECT_FALSE(update::parseRemoteVersion("<root><Latest-Ver/></root>", info));
    EXPECT_EQ(logged().back(), "latest-ver节点不存在!");
    EXPECT_FALSE(info.valid);
}

TEST_F(ManifestTest, FileElementsNeedAllFourChildrenAndANameInside) {
    const std::string head = "<update-no>1</update-no><no>1.2.3</no><files>";
    const std::pair<std::string, std::string> bad[] = {
        {"<f><position/><name>a</name><md5-code/></f>",
         "parseVersionInfo:file element without length"},
        {"<f><name>a</name><md5-code/><length/></f>",
         "parseVersionInfo:file element without position"},
        {fileElement("f", "", "../x"), "parseVersionInfo:unsafe file name ../x"},
        {fileElement("f", "", "a/../../x"), "parseVersionInfo:unsafe file name a/../../x"},
        {fileElement("f", "", "..\\x"), "parseVersionInfo:unsafe file name ..\\x"},
        {fileElement("f", "", "/etc/x"), "parseVersionInfo:unsafe file name /etc/x"},
        {fileElement("f", "", ""), "parseVersionInfo:unsafe file name "},
        {fileElement("f", "", "a&#9;b"), "parseVersionInfo:unsafe file name a\tb"},
        {fileElement("f", "../", "x"), "parseVersionInfo:unsafe file position ../"},
        {fileElement("f", "a\\..\\..\\", "x"), "parseVersionInfo:unsafe file position a\\..\\..\\"},
        {fileElement("f", "/abs/", "x"), "parseVersionInfo:unsafe file position /abs/"},
    };
    for (const auto& [element, message] : bad) {
        VersionInfo info;
        EXPECT_FALSE(update::parseRemoteVersion(remote(head + element + "</files>"), info));
        EXPECT_EQ(logged().back(), message);
    }
    VersionInfo info;
    const std::string good = fileElement("f", "", "a..b") + fileElement("f", "x/", "..y/.z");
    ASSERT_TRUE(update::parseRemoteVersion(remote(head + good + "</files>"), info));
    EXPECT_EQ(info.files[1].path, "x/..y/.z");
}

TEST_F(ManifestTest, ASha256IsOptionalAndReadOnlyInItsOneForm) {
    const std::string digest(64, 'a');
    const auto withSha256 = [](const std::string& text) {
        return remote(
            "<update-no>1</update-no><no>1.2.3</no><files><f><position/><name>a</name>"
            "<md5-code>0123456789abcdef0123456789abcdef</md5-code><length>1</length>"
            "<sha256>" +
            text + "</sha256></f>" + fileElement("f", "", "b") + "</files>");
    };
    VersionInfo info;
    ASSERT_TRUE(
        update::parseRemoteVersion(withSha256("0123456789abcdef" + digest.substr(16)), info));
    EXPECT_EQ(info.files[0].sha256, "0123456789abcdef" + digest.substr(16));
    EXPECT_EQ(info.files[1].sha256, "") << "none listed";
    std::string upper = digest;
    upper[5] = 'A';
    for (const std::string& bad : {upper, digest.substr(1), digest + "a", std::string(),
                                   " " + digest.substr(1), digest.substr(1) + "g"}) {
        VersionInfo refused;
        EXPECT_FALSE(update::parseRemoteVersion(withSha256(bad), refused)) << bad;
        EXPECT_EQ(logged().back(), "parseVersionInfo:malformed sha256 of a");
    }
}

TEST(ManifestDecision, OnlyTheUpdateNumberDecides) {
    VersionInfo remoteInfo;
    remoteInfo.valid = true;
    remoteInfo.updateNo = 5;
    remoteInfo.versionText = "9.9.9";
    VersionInfo local;
    for (const auto& [localNo, due] : {std::pair{4, true}, {5, false}, {6, false}, {-9, true}}) {
        local.updateNo = localNo;
        EXPECT_EQ(update::needsUpdate(remoteInfo, local), due) << localNo;
    }
    remoteInfo.valid = false;
    local.updateNo = 0;
    EXPECT_FALSE(update::needsUpdate(remoteInfo, local)) << "an incomplete remote manifest";
}

class LocalManifestTest : public test_support::LoggedTest {
  protected:
    test_support::InTempDir cwd_;
};

TEST_F(LocalManifestTest, WithoutALocalFileAnyPositiveRemoteNumberIsDue) {
    VersionInfo local;
    local.updateNo = 3;
    EXPECT_FALSE(update::loadLocalVersion(local));
    EXPECT_EQ(logged(), std::vector<std::string>{"local version.xml文件格式错误!"});
    EXPECT_EQ(local.updateNo, 3) << "left as it was";
    VersionInfo fresh, remoteInfo;
    EXPECT_FALSE(update::loadLocalVersion(fresh));
    remoteInfo.valid = true;
    remoteInfo.updateNo = 1;
    EXPECT_TRUE(update::needsUpdate(remoteInfo, fresh));
}

TEST_F(LocalManifestTest, TheSavedFileHoldsVersionAndNumberOnly) {
    VersionInfo remoteInfo;
    ASSERT_TRUE(update::parseRemoteVersion(
        remote("<update-no>7</update-no><flash-no>11.1</flash-no><no>2.0.15</no><files>" +
               fileElement("f", "", "a.txt") + "</files>"),
        remoteInfo));
    ASSERT_TRUE(update::saveLocalVersion(remoteInfo));
    EXPECT_EQ(test_support::readFile("version.xml"),
              "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<ver>\n    <no>2.0.15</no>\n"
              "    <update-no>7</update-no>\n</ver>\n");
    VersionInfo local;
    ASSERT_TRUE(update::loadLocalVersion(local));
    EXPECT_EQ(local.updateNo, 7);
    EXPECT_EQ(local.versionText, "2.0.15");
    EXPECT_TRUE(local.files.empty());
    EXPECT_EQ(std::tie(local.flashMajor, local.flashMinor), std::make_tuple(0, 0));
    EXPECT_FALSE(update::needsUpdate(remoteInfo, local));
}

TEST_F(LocalManifestTest, LocalMessagesUseTheSameWording) {
    test_support::writeFile("version.xml", "<ver><no>1.0.0</no></ver>");
    VersionInfo local;
    EXPECT_FALSE(update::loadLocalVersion(local));
    EXPECT_EQ(logged().back(), "latest-ver->update-no节点不存在!");
}

class RemoteFetchTest : public test_support::LoggedTest {
  protected:
    void configure(int port) {
        test_support::writeFile("config.properties",
                                "server.host=127.0.0.1\nserver.port=" + std::to_string(port) +
                                    "\nserver.path=/vexo/\n");
        const std::optional<update::ServerConfig> loaded = update::loadServerConfig();
        ASSERT_TRUE(loaded);
        config_ = *loaded;
    }
    test_support::InTempDir cwd_;
    update::ServerConfig config_;
    test_support::HttpTestServer server_;
};

TEST_F(RemoteFetchTest, FetchesVersionXmlBelowTheServerPath) {
    configure(server_.port());
    server_.answer("/vexo/version.xml", 200,
                   remote("<update-no>3</update-no><no>1.2.3</no><files>" +
                          fileElement("f", "p/", "a.txt") + "</files>"));
    VersionInfo info;
    ASSERT_TRUE(update::fetchRemoteVersion(config_, info));
    EXPECT_EQ(info.updateNo, 3);
    EXPECT_EQ(info.files.at(0).path, "p/a.txt");
    EXPECT_TRUE(wasLogged("httpFile.statusCode:200"));
}

TEST_F(RemoteFetchTest, FailuresOfTheRequestAndTheBodyAreTold) {
    configure(server_.port());
    VersionInfo info;
    EXPECT_FALSE(update::fetchRemoteVersion(config_, info));
    EXPECT_EQ(logged().back(), "请求版本信息失败!") << "404";

    const std::string text = remote("<update-no>3</update-no><no>1.2.3</no>");
    test_support::RawHttpServer cut(
        "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(text.size()) + "\r\n\r\n" +
        text.substr(0, text.size() - 8));
    configure(cut.port());
    EXPECT_FALSE(update::fetchRemoteVersion(config_, info));
    EXPECT_EQ(logged().back(), "remote version.xml文件格式错误!") << "a body cut short";
    EXPECT_FALSE(info.valid);
}

TEST_F(RemoteFetchTest, AnEndlessBodyOfZeroBytesFails) {
    test_support::RawHttpServer zeros("HTTP/1.1 200 OK\r\n\r\n", std::chrono::milliseconds(0),
                                      {std::string(64 << 10, '\0'), 1u << 20, {}});
    configure(zeros.port());
    VersionInfo info;
    EXPECT_FALSE(update::fetchRemoteVersion(config_, info));
    EXPECT_TRUE(wasLogged("HttpClient::readToString:body too large"));
    EXPECT_EQ(logged().back(), "remote version.xml文件格式错误!");
}

}  // namespace
}  // namespace update_test
