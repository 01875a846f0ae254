// The parse of a remote manifest of 10,000 files (fetchRemoteVersion's path from the body
// text to a VersionInfo) against TinyXML parsing the same text alone.
#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <string>

#include "update/manifest/manifest.h"

namespace {

const std::string& manifestText() {
    static const std::string text = [] {
        std::string made =
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root>\n<latest-ver>\n"
            "<update-no>42</update-no>\n<flash-no>11.1</flash-no>\n<no>2.0.15</no>\n<files>\n";
        for (int i = 0; i < 10000; ++i) {
            const std::string n = std::to_string(i);
            made += "<file>\n<position>data/" + std::to_string(i % 50) + "/</position>\n" +
                    "<name>movies/part" + n + ".swf</name>\n" +
                    "<md5-code>0123456789abcdef0123456789ab" + std::to_string(1000 + i % 9000) +
                    "</md5-code>\n<length>" + std::to_string(i * 977) + "</length>\n</file>\n";
        }
        return made + "</files>\n</latest-ver>\n</root>\n";
    }();
    return text;
}

void TinyXmlParseAlone(benchmark::State& state) {
    for (auto _ : state) {
        TiXmlDocument document;
        document.Parse(manifestText().c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
        benchmark::DoNotOptimize(document.RootElement());
    }
}

void ParseRemoteVersion(benchmark::State& state) {
    for (auto _ : state) {
        update::VersionInfo info;
        if (!update::parseRemoteVersion(manifestText(), info) || info.files.size() != 10000) {
            state.SkipWithError("the manifest did not parse");
        }
        benchmark::DoNotOptimize(info);
    }
}

}  // namespace

BENCHMARK(TinyXmlParseAlone)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ParseRemoteVersion)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_MAIN();
