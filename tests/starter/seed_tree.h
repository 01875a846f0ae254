// Package copies and user installations for the starter's tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace starter_test {

// A package copy in `dir`: a launcher (a script when `launcher` is given, else an empty
// executable file), version.xml with `updateNo`, the control stand-in libwebmovie.so and
// `bulkFiles` files of `bulkBytes` each under data/.
void writeSeed(const std::filesystem::path& dir, std::int32_t updateNo,
               const std::string& launcher = {}, int bulkFiles = 2, std::size_t bulkBytes = 1000);

// version.xml as the launcher writes it after an update.
std::string versionXml(std::int32_t updateNo);

// Whether `installation` holds exactly the files and folders of `seed`, with the same bytes.
bool sameTree(const std::filesystem::path& seed, const std::filesystem::path& installation);

}  // namespace starter_test
