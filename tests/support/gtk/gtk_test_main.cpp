// The GTK tests' main: every test process runs on an X server of its own.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/gtk/private_x_server.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    gtk_test::PrivateXServer server;
    if (server.display().empty()) {
        std::fprintf(stderr, "gtk tests: Xvfb did not start\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
