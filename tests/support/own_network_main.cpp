// The entry point of suites that serve on 127.0.0.1:8080: each runs again
// inside `unshare -rn`, a network namespace of its own with loopback up, so it
// can never meet another server there; where no namespace can be made, it
// refuses to run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>


int main(int argc, char** argv) {
    const char* inside = "FINGERBRIDGE_OWN_NETWORK";
    if (std::getenv(inside) == nullptr && std::system("unshare -rn true 2>/dev/null") == 0) {
        setenv(inside, "1", 1);
        std::vector<char*> command{const_cast<char*>("unshare"), const_cast<char*>("-rn"), const_cast<char*>("sh"),
                                   const_cast<char*>("-c"),
                                   const_cast<char*>("PATH=$PATH:/usr/sbin:/sbin ip link set lo up && exec \"$0\" \"$@\"")};
        command.insert(command.end(), argv, argv + argc);
        command.push_back(nullptr);
        execvp("unshare", command.data());
        std::perror("unshare");
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    if (std::getenv(inside) == nullptr && !GTEST_FLAG_GET(list_tests)) {
        std::fprintf(stderr, "No network namespace can be made here (unshare -rn), so 8080 could be another server's.\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
