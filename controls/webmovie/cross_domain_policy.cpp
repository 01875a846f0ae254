#include "controls/webmovie/cross_domain_policy.h"

#include <tinyxml.h>

#include <cstring>

#include "controls/webmovie/ascii_text.h"
#include "update/xml/xml_nesting.h"

namespace controls::webmovie {
namespace {

// Policies are flat: anything deeper is no policy, and TinyXML recurses on nesting. The node and
// attribute bounds are the update XML's: TinyXML compares each attribute with the element's
// earlier ones, so 64 KiB of attributes on one tag would hold the UI thread.
constexpr int kMaxPolicyDepth = 8;

std::string attributeOf(const TiXmlElement& element, const char* name) {
    const char* value = element.Attribute(name);
    return value ? asciiLowerCase(value) : std::string();
}

bool isAddress(std::string_view host) {
    if (host.starts_with('[')) return true;
    return !host.empty() && host.find_first_not_of("0123456789.") == std::string_view::npos;
}

}  // namespace

std::optional<CrossDomainPolicy> parseCrossDomainPolicy(std::string_view text) {
    if (text.size() > kMaxPolicyBytes || text.find('\0') != std::string_view::npos ||
        !update::xmlWithinBounds(text, kMaxPolicyDepth)) {
        return std::nullopt;
    }
    TiXmlDocument document;
    document.Parse(std::string(text).c_str());
    const TiXmlElement* root = document.RootElement();
    if (document.Error() || !root || std::strcmp(root->Value(), "cross-domain-policy") != 0) {
        return std::nullopt;
    }
    CrossDomainPolicy policy;
    for (const TiXmlElement* child = root->FirstChildElement(); child;
         child = child->NextSiblingElement()) {
        if (std::strcmp(child->Value(), "site-control") == 0) {
            std::string permitted = attributeOf(*child, "permitted-cross-domain-policies");
            if (permitted == "none" || permitted == "none-this-response")
                return CrossDomainPolicy{};
        } else if (std::strcmp(child->Value(), "allow-access-from") == 0) {
            std::string domain = attributeOf(*child, "domain");
            if (!domain.empty()) {
                policy.grants.push_back({domain, attributeOf(*child, "secure") != "false"});
            }
        }
    }
    return policy;
}

bool domainMatches(std::string_view pattern, std::string_view host) {
    std::string wanted = asciiLowerCase(pattern), name = asciiLowerCase(host);
    if (wanted == "*") return true;
    if (!wanted.starts_with("*.")) return wanted == name;
    if (isAddress(name)) return false;
    std::string_view parent = std::string_view(wanted).substr(2);
    return name == parent || (name.size() > parent.size() && name.ends_with(parent) &&
                              name[name.size() - parent.size() - 1] == '.');
}

bool policyPermits(const CrossDomainPolicy& policy, std::string_view movieHost, bool movieHttps,
                   bool policyHttps) {
    for (const auto& grant : policy.grants) {
        bool secureEnough = movieHttps || !policyHttps || !grant.secure;
        if (secureEnough && domainMatches(grant.domain, movieHost)) return true;
    }
    return false;
}

}  // namespace controls::webmovie
