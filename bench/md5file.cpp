// Prints the MD5 digest of one file the way md5OfFile computes it, for timing against the
// command-line tools (bench/run-md5).
#include <cstdio>

#include "platform/os/file_exception.h"
#include "update/digest/md5.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: md5file FILE\n");
        return 2;
    }
    try {
        std::printf("%s  %s\n", md5OfFile(argv[1]).c_str(), argv[1]);
    } catch (const platform::FileException& error) {
        std::fprintf(stderr, "md5file: %s\n", error.what());
        return 1;
    }
    return 0;
}
