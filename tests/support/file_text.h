// Whole files read and written as text in tests.
#pragma once

#include <string>

namespace test_support {

// The file's bytes; empty when it cannot be read.
std::string readFile(const std::string& path);
// Replaces the file's bytes with `text`.
void writeFile(const std::string& path, const std::string& text);

}  // namespace test_support
