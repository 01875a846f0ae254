// The cross-domain policy file of a server (/crossdomain.xml): which other servers' movies may
// load from it. Pure functions: no state, no I/O.
//
//   <cross-domain-policy>
//     <site-control permitted-cross-domain-policies="master-only"/>
//     <allow-access-from domain="*.example.com" secure="false"/>
//   </cross-domain-policy>
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace controls::webmovie {

// A policy file larger than this is no policy (real ones are a few hundred bytes).
constexpr std::size_t kMaxPolicyBytes = 64 * 1024;

struct CrossDomainPolicy {
    struct Grant {
        std::string domain;  // "*", "*.example.com", "example.com" or an address, lower case
        bool secure = true;  // of a policy served over https: https movies only
    };
    std::vector<Grant> grants;
};

// Reads a policy file. nullopt for text that is not one: not XML, another root element, NUL
// bytes, more than kMaxPolicyBytes, nesting deeper than any policy needs, or more nodes, or more
// attributes on one element, than the update XML allows (update/xml/xml_nesting.h). A file whose
// site-control permits no policies ("none", "none-this-response") grants nothing.
std::optional<CrossDomainPolicy> parseCrossDomainPolicy(std::string_view text);

// Whether `pattern` names `host` (both compared in any letter case): "*" names every host,
// "*.example.com" names example.com and every name below it, anything else names itself alone.
// Wildcards never name an IP address.
bool domainMatches(std::string_view pattern, std::string_view host);

// Whether `policy`, served over https when `policyHttps`, lets a movie from `movieHost`, itself
// served over https when `movieHttps`, load from its server.
bool policyPermits(const CrossDomainPolicy& policy, std::string_view movieHost, bool movieHttps,
                   bool policyHttps);

}  // namespace controls::webmovie
