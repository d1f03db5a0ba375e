// Cases that need the Linux process itself.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "e2e/server_process.h"
#include "support/loopback.h"

// From tests/, as from any folder beside frontend/, the server serves ../frontend/.
ServerLaunch serverLaunch() { return {.program = FINGERBRIDGE_BINARY, .workingDirectory = FINGERBRIDGE_TESTS_DIR}; }

namespace {

int threadCount(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("Threads:")) return std::stoi(line.substr(8));
    }
    return -1;
}

// A burst of clients, well-behaved and not (vanishing, silent, oversized, stopping mid-header
// till the 15 s deadline) leaves every good request answered and the server back to one thread.
TEST(LinuxProcess, ServesABurstOfHostileClientsAndGoesBackToIdle) {
    // The burst prints far less than a pipe holds, so the console need not be read meanwhile.
    ServerProcess server;
    server.waitUntilListening();
    Socket unfinished = connectToLoopback(8080);
    setIoTimeout(unfinished, 25);
    sendAll(unfinished, "GET / HTTP/1.1\r\n", 16);
    const std::string config = "GET /api/config HTTP/1.1\r\n\r\n";
    std::atomic<int> wrongReplies{0};
    std::vector<std::thread> clients;
    for (int client = 0; client < 16; ++client) {
        clients.emplace_back([&wrongReplies, &config] {
            for (int round = 0; round < 10; ++round) {
                Socket vanishing = connectToLoopback(8080);
                sendAll(vanishing, "POST /verify_with_template HTTP/1.1\r\nContent-Length: 900\r\n\r\nte", 62);
                closeSocket(vanishing);
                closeSocket(connectToLoopback(8080));
                wrongReplies += !sendRequest(8080, config).starts_with("HTTP/1.1 200 OK\r\n");
                wrongReplies += !sendRequest(8080, std::string(70000, 'x')).starts_with("HTTP/1.1 413 Payload Too Large\r\n");
            }
        });
    }
    for (std::thread& client : clients) client.join();
    EXPECT_EQ(wrongReplies, 0);
    EXPECT_EQ(readUntilClosed(unfinished), "");
    closeSocket(unfinished);
    // Idle connection threads end after a short wait; a bound on waiting, not a timing check.
    int threads = 0;
    for (int waited = 0; waited < 200 && (threads = threadCount(server.pid())) != 1; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(threads, 1);
    EXPECT_TRUE(sendRequest(8080, config).starts_with("HTTP/1.1 200 OK\r\n"));
}

}  // namespace
