// The entry point of suites that serve on 127.0.0.1:8080: each runs in a
// network of its own, or refuses to run where another server holds the port.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/own_network.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!enterOwnNetwork() && portTaken(8080)) {
        std::fprintf(stderr, "Port 8080 is taken and no network namespace can be made: stop the other server.\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
