// The entry point of suites that serve on 127.0.0.1:8080: each runs in a
// network namespace of its own with loopback up, so it can never meet another
// server there; where no namespace can be made, it refuses to run while
// another server holds the port.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstring>
#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

void writeFile(const char* path, const std::string& text) {
    int fd = open(path, O_WRONLY | O_CLOEXEC);
    if (fd >= 0 && write(fd, text.data(), text.size()) < 0) perror(path);
    if (fd >= 0) close(fd);
}

bool enterOwnNetwork() {
    const std::string uid = std::to_string(getuid());
    const std::string gid = std::to_string(getgid());
    if (unshare(CLONE_NEWNET) != 0) {
        // Without the right to do so directly, a user namespace grants it.
        if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) return false;
        writeFile("/proc/self/setgroups", "deny");
        writeFile("/proc/self/uid_map", "0 " + uid + " 1");
        writeFile("/proc/self/gid_map", "0 " + gid + " 1");
    }
    int control = socket(AF_INET, SOCK_DGRAM, 0);
    ifreq loopback{};
    std::strcpy(loopback.ifr_name, "lo");
    loopback.ifr_flags = IFF_UP | IFF_LOOPBACK | IFF_RUNNING;
    bool up = ioctl(control, SIOCSIFFLAGS, &loopback) == 0;
    close(control);
    return up;
}

bool portTaken(int port) {
    int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{AF_INET, htons(static_cast<uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    bool taken = connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    return taken;
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!enterOwnNetwork() && portTaken(8080)) {
        std::fprintf(stderr, "Port 8080 is taken and no network namespace can be made: stop the other server.\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
