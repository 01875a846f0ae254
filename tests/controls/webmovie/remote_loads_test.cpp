// What a remote SWF movie may load: the relay URLs Ruffle sends its loads to, and the servers'
// cross-domain policies.
#include <gtest/gtest.h>

#include "controls/webmovie/cross_domain_policy.h"
#include "controls/webmovie/relay_url.h"
#include "update/xml/xml_nesting.h"

namespace controls::webmovie {
namespace {

TEST(WebMovieRelayUrl, StandsForTheHttpUrlItWasMadeOf) {
    EXPECT_EQ(relayTarget("/.webmovie/net/http/127.0.0.1:8080/m/a.swf", "x=1&y=%20"),
              "http://127.0.0.1:8080/m/a.swf?x=1&y=%20");
    EXPECT_EQ(relayTarget("/.webmovie/net/HTTPS/example.com/a%2Fb", ""),
              "https://example.com/a%2Fb");
    EXPECT_EQ(relayTarget("/.webmovie/net/http/example.com", ""), "http://example.com/");
    for (const char* refused :
         {"/.webmovie/net/file/etc/passwd", "/.webmovie/net/http//etc/passwd",
          "/.webmovie/net/javascript/x", "/.webmovie/net/http", "/.webmovie/ruffle/x",
          "/.webmovie/net/http/a\\@b/x", "/m/.webmovie/net/http/a/b"}) {
        EXPECT_EQ(relayTarget(refused, ""), std::nullopt) << refused;
    }
}

TEST(WebMovieRelayUrl, ALinkToARelayUrlLeadsToItsTarget) {
    EXPECT_EQ(relayTargetOfUrl("vexo-movie://movie3/.webmovie/net/http/a.example/p?q=1#top",
                               "vexo-movie://movie3"),
              "http://a.example/p?q=1");
    EXPECT_EQ(relayTargetOfUrl("vexo-movie://movie31/.webmovie/net/http/a.example/p",
                               "vexo-movie://movie3"),
              std::nullopt);
    EXPECT_EQ(relayTargetOfUrl("http://a.example/.webmovie/net/http/b/p", "http://a.example"),
              "http://b/p");
    EXPECT_EQ(relayTargetOfUrl("vexo-movie://movie3/.webmovie/player.html", "vexo-movie://movie3"),
              std::nullopt);
}

TEST(WebMovieRelayUrl, RelativeLoadsResolveAgainstTheMoviesFolder) {
    EXPECT_EQ(folderUrlOf("http://h:8/m/client.swf?a=/b#c/d"), "http://h:8/m/");
    EXPECT_EQ(folderUrlOf("http://h/m/"), "http://h/m/");
    EXPECT_EQ(folderUrlOf("https://h"), "https://h/");
    EXPECT_EQ(folderUrlOf("https://h?x=/y"), "https://h/");
}

TEST(WebMovieCrossDomainPolicy, ReadsTheGrantsOfAPolicyFile) {
    auto policy = parseCrossDomainPolicy(R"(<?xml version="1.0"?>
<!DOCTYPE cross-domain-policy SYSTEM "http://www.adobe.com/xml/dtds/cross-domain-policy.dtd">
<cross-domain-policy>
  <!-- the studio's servers -->
  <site-control permitted-cross-domain-policies="master-only"/>
  <allow-access-from domain="*.Example.com" secure="false"/>
  <allow-access-from domain="10.0.0.7"/>
  <allow-access-from/>
  <allow-http-request-headers-from domain="*" headers="*"/>
</cross-domain-policy>)");
    ASSERT_TRUE(policy);
    ASSERT_EQ(policy->grants.size(), 2u);
    EXPECT_EQ(policy->grants[0].domain, "*.example.com");
    EXPECT_FALSE(policy->grants[0].secure);
    EXPECT_EQ(policy->grants[1].domain, "10.0.0.7");
    EXPECT_TRUE(policy->grants[1].secure);
}

TEST(WebMovieCrossDomainPolicy, TextThatIsNoPolicyGrantsNothing) {
    const std::string deep = std::string(10000, '<').replace(0, 0, "<cross-domain-policy>");
    std::string nested = "<cross-domain-policy>";
    for (int i = 0; i < 100000; ++i) nested += "<a>";
    for (const std::string& text :
         {std::string("<html><body>Not found</body></html>"), std::string("not xml at all"),
          std::string("<cross-domain-policy><allow-access-from domain=\"*\"/>"), deep, nested,
          std::string("<cross-domain-policy>\0<allow-access-from domain=\"*\"/>"
                      "</cross-domain-policy>",
                      76),
          "<cross-domain-policy>" + std::string(kMaxPolicyBytes, ' ') + "</cross-domain-policy>"}) {
        EXPECT_EQ(parseCrossDomainPolicy(text), std::nullopt) << text.substr(0, 60);
    }
    auto none = parseCrossDomainPolicy(
        "<cross-domain-policy><allow-access-from domain=\"*\"/>"
        "<site-control permitted-cross-domain-policies=\"none\"/></cross-domain-policy>");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->grants.empty());
}

// A grant to every host, its tag carrying `attributes` attributes in all, nested in
// `depth` - 1 elements below the root.
std::string policyOf(std::size_t attributes, int depth = 2) {
    std::string tag = "<allow-access-from domain=\"*\"";
    for (std::size_t i = 1; i < attributes; ++i) tag += " a" + std::to_string(i) + "=''";
    std::string text = tag + "/>";
    for (int level = 2; level < depth; ++level) text = "<d>" + text + "</d>";
    return "<cross-domain-policy>" + text + "</cross-domain-policy>";
}

// The update XML's bounds hold here too, so a hostile server's policy costs the UI thread no
// more than a malformed one: refused before TinyXML sees it.
TEST(WebMovieCrossDomainPolicy, TextsBeyondTheXmlBoundsAreNoPolicy) {
    const auto grantsAll = [](const std::string& text) {
        const auto policy = parseCrossDomainPolicy(text);
        return policy && policy->grants.size() == 1 && policy->grants[0].domain == "*";
    };
    EXPECT_TRUE(grantsAll(policyOf(update::kMaxXmlAttributes)));
    EXPECT_EQ(parseCrossDomainPolicy(policyOf(update::kMaxXmlAttributes + 1)), std::nullopt);
    std::string filled = "<cross-domain-policy><allow-access-from";
    for (int i = 0; filled.size() + 40 < kMaxPolicyBytes; ++i)
        filled += " a" + std::to_string(i) + "=''";
    filled += "/></cross-domain-policy>";
    ASSERT_LE(filled.size(), kMaxPolicyBytes);
    EXPECT_EQ(parseCrossDomainPolicy(filled), std::nullopt);

    EXPECT_TRUE(parseCrossDomainPolicy(policyOf(1, 8)).has_value()) << "flat enough";
    EXPECT_EQ(parseCrossDomainPolicy(policyOf(1, 9)), std::nullopt);
}

TEST(WebMovieCrossDomainPolicy, DomainsMatchAsFlashMatchedThem) {
    EXPECT_TRUE(domainMatches("*", "anything.example"));
    EXPECT_TRUE(domainMatches("*", "10.0.0.7"));
    EXPECT_TRUE(domainMatches("*.example.com", "example.com"));
    EXPECT_TRUE(domainMatches("*.example.com", "WWW.Example.COM"));
    EXPECT_TRUE(domainMatches("*.example.com", "a.b.example.com"));
    EXPECT_FALSE(domainMatches("*.example.com", "badexample.com"));
    EXPECT_FALSE(domainMatches("*.example.com", "example.com.evil.net"));
    EXPECT_TRUE(domainMatches("www.example.com", "www.example.com"));
    EXPECT_FALSE(domainMatches("www.example.com", "example.com"));
    EXPECT_TRUE(domainMatches("127.0.0.1", "127.0.0.1"));
    EXPECT_FALSE(domainMatches("*.0.0.1", "127.0.0.1")) << "no wildcards on addresses";
}

TEST(WebMovieCrossDomainPolicy, AnHttpsPolicyLetsPlainHttpMoviesInOnlyWhenNotSecure) {
    CrossDomainPolicy secure{{{"*.example.com", true}}};
    CrossDomainPolicy open{{{"*.example.com", false}}};
    EXPECT_TRUE(policyPermits(secure, "www.example.com", true, true));
    EXPECT_FALSE(policyPermits(secure, "www.example.com", false, true));
    EXPECT_TRUE(policyPermits(open, "www.example.com", false, true));
    EXPECT_TRUE(policyPermits(secure, "www.example.com", false, false)) << "an http policy";
    EXPECT_FALSE(policyPermits(secure, "other.net", true, true));
    EXPECT_FALSE(policyPermits(CrossDomainPolicy{}, "www.example.com", true, false));
}

}  // namespace
}  // namespace controls::webmovie
