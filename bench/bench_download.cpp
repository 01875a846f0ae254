// Downloads one URL path into a file with HttpClient::readToFile, as the update run does:
// bench_download HOST PORT PATH FILE. Exit status 0 when the whole body was stored.
#include <cstdio>
#include <cstdlib>

#include "update/http/http_client.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s HOST PORT PATH FILE\n", argv[0]);
        return 2;
    }
    update::HttpClient client(argv[1], std::atoi(argv[2]), argv[3]);
    return client.open() && client.readToFile(argv[4]) ? 0 : 1;
}
