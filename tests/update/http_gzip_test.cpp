// Text bodies may come gzip-compressed; the limits of a text hold for what they decode to.
#include <zlib.h>

#include <chrono>
#include <stdexcept>

#include "tests/support/file_text.h"
#include "tests/support/http_test_server.h"
#include "tests/support/logged_test.h"
#include "tests/support/temp_dir.h"
#include "update/http/http_client.h"

namespace update_test {
namespace {

using namespace std::chrono_literals;
using update::HttpClient;

// `count` copies of `piece` as one gzip member, as a web server compresses a text, taken in
// pieces so that a large text never has to be held.
std::string gzipped(const std::string& piece, std::size_t count = 1) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        throw std::runtime_error("deflateInit2");
    }
    std::string out;
    char chunk[1 << 16];
    int result = Z_OK;
    for (std::size_t left = count; result != Z_STREAM_END;) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
        stream.avail_in = left > 0 ? static_cast<uInt>(piece.size()) : 0;
        const int flush = left > 0 ? (--left == 0 ? Z_FINISH : Z_NO_FLUSH) : Z_FINISH;
        do {
            stream.next_out = reinterpret_cast<Bytef*>(chunk);
            stream.avail_out = sizeof chunk;
            result = deflate(&stream, flush);
            out.append(chunk, sizeof chunk - stream.avail_out);
        } while (stream.avail_out == 0 || stream.avail_in > 0);
        if (result == Z_STREAM_ERROR) break;
    }
    deflateEnd(&stream);
    if (result != Z_STREAM_END) throw std::runtime_error("deflate");
    return out;
}

std::string gzipReply(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

// The value of the request head's Accept-Encoding line; empty when it has none.
std::string acceptedEncoding(const std::string& request) {
    const std::string name = "\r\nAccept-Encoding: ";
    const auto at = request.find(name);
    if (at == std::string::npos) return {};
    const auto value = at + name.size();
    return request.substr(value, request.find("\r\n", value) - value);
}

class HttpGzipTest : public test_support::LoggedTest {
  protected:
    std::unique_ptr<HttpClient> client(int port, bool acceptGzip) {
        auto made = std::make_unique<HttpClient>("127.0.0.1", port, "/version.xml");
        made->setTimeouts({5s, 5s});
        made->setAcceptGzip(acceptGzip);
        return made;
    }
};

TEST_F(HttpGzipTest, ATextAskedForGzipArrivesDecoded) {
    const std::string manifest = "<root>" + std::string(30000, ' ') + "</root>\n";
    test_support::RawHttpServer server(gzipReply(gzipped(manifest)));
    auto http = client(server.port(), true);
    ASSERT_TRUE(http->open());
    EXPECT_EQ(acceptedEncoding(server.lastRequest()), "gzip");
    EXPECT_EQ(http->readToString(), manifest);
}

// A listed file is checked and resumed by its identity bytes: a download never asks for an
// encoding, and a gzip body it gets anyway stays as it came, to fail its digests.
TEST_F(HttpGzipTest, AFileDownloadOffersNoEncodingAndKeepsTheBytesAsSent) {
    const std::string compressed = gzipped(std::string(5000, 'x'));
    test_support::RawHttpServer server(gzipReply(compressed));
    test_support::TempDir dir;
    auto http = client(server.port(), false);
    ASSERT_TRUE(http->open());
    EXPECT_EQ(acceptedEncoding(server.lastRequest()), "");
    ASSERT_TRUE(http->readToFile(dir.file("f")));
    EXPECT_TRUE(test_support::readFile(dir.file("f")) == compressed);
}

// 256 MiB of text in a body of some 250 KiB: reading stops once the decoded bytes pass the
// limit, or earlier when libcurl, decoding ahead of a reader that lags, fails the transfer at
// its own bound on what it holds; either way no more than the limit is kept.
TEST_F(HttpGzipTest, ACompressedBodyThatUnpacksPastTheLimitStopsThere) {
    const std::size_t unpacked = 4 * HttpClient::kMaxTextSize;
    const std::string bomb = gzipped(std::string(1 << 20, 'a'), unpacked >> 20);
    ASSERT_LT(bomb.size(), unpacked / 500);
    test_support::RawHttpServer server(gzipReply(bomb));
    auto http = client(server.port(), true);
    ASSERT_TRUE(http->open());
    const std::string text = http->readToString();
    EXPECT_LE(text.size(), HttpClient::kMaxTextSize);
    EXPECT_EQ(text.find_first_not_of('a'), std::string::npos);
}

TEST_F(HttpGzipTest, ACorruptCompressedBodyFailsInsteadOfReadingAsText) {
    std::string broken = gzipped(std::string(100000, 'b'));
    broken[10] = '\xff';  // the first deflate block: a reserved block type
    test_support::RawHttpServer server(gzipReply(broken));
    auto http = client(server.port(), true);
    if (http->open()) {
        char block[HttpClient::kBlockSize];
        long count = 0;
        while ((count = http->read(block, sizeof block)) > 0) {
        }
        EXPECT_EQ(count, -1) << "the body must fail, not end";
    }
}

}  // namespace
}  // namespace update_test
