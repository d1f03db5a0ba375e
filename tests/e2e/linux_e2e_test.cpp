// Cases that need the Linux process itself.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <set>
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

// A burst of clients, well-behaved and not (vanishing, silent, oversized) leaves good requests
// answered and then two threads (accept loop, console writer); the origin is reported as given.
TEST(LinuxProcess, ServesABurstOfHostileClientsAndGoesBackToIdle) {
    // The burst prints far less than a pipe holds, so the console need not be read meanwhile.
    ServerProcess server({"--origin", "https://app.example/\"\\"});
    server.waitUntilListening();
    const std::string config = "GET /api/config HTTP/1.1\r\n\r\n";
    std::atomic<int> wrongReplies{0};
    std::vector<std::thread> clients;
    for (int client = 0; client < 16; ++client) {
        clients.emplace_back([&wrongReplies, &config] {
            for (int round = 0; round < 10; ++round) {
                Socket vanishing = connectToLoopback(8080);
                sendText(vanishing, "POST /verify_with_template HTTP/1.1\r\nContent-Length: 900\r\n\r\nte");
                closeSocket(vanishing);
                closeSocket(connectToLoopback(8080));
                wrongReplies += !sendRequest(8080, config).starts_with("HTTP/1.1 200 OK\r\n");
                wrongReplies += !sendRequest(8080, std::string(70000, 'x')).starts_with("HTTP/1.1 413 Payload Too Large\r\n");
            }
        });
    }
    for (std::thread& client : clients) client.join();
    EXPECT_EQ(wrongReplies, 0);
    // Idle connection threads end after a short wait; a bound on waiting, not a timing check.
    int threads = 0;
    for (int waited = 0; waited < 200 && (threads = threadCount(server.pid())) != 2; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(threads, 2);
    EXPECT_NE(bodyOf(8080, "GET /api/status", tokenFrom(8080)).find(R"("allowedOrigin": "https://app.example/\"\\"})"),
              std::string::npos);
}

// Standard output a full pipe nobody reads: every request is still answered, the lines that do
// not fit the console's queue are dropped and counted, and those printed are whole.
TEST(LinuxProcess, AnswersWhileStandardOutputIsStuckAndCountsWhatItDrops) {
    ServerProcess server({}, {.program = FINGERBRIDGE_BINARY, .workingDirectory = FINGERBRIDGE_TESTS_DIR,
                              .lineTimeoutMs = 2000, .outPipeBytes = 4096});
    server.waitUntilListening();
    ASSERT_EQ(server.outLines(1)[0], "Futronic device connected automatically.");
    const std::string token = tokenFrom(8080);
    server.fillOutput("filler");
    const std::string path = "/api/demoscan/single?finger=1&x=" + std::string(8192, 'a');
    const std::string request = "GET " + path + " HTTP/1.1\r\nX-CSRF-Token: " + token + "\r\n\r\n";
    for (int sent = 0; sent < 200; ++sent) {
        Socket client = connectToLoopback(8080);
        setIoTimeout(client, 5);  // a reply held up by the console fails the test here
        sendText(client, request);
        EXPECT_TRUE(readUntilClosed(client).starts_with("HTTP/1.1 200 OK\r\n"));
        closeSocket(client);
    }
    const std::set<std::string> printable{"filler", "New CSRF Token Generated and Stored: " + token,
                                          "--- Handling /api/demoscan/single ---", "CSRF check PASSED for " + path};
    int printed = 0, dropped = 0;  // printed: the token line and two per request, less those dropped
    for (std::string line; !(line = server.outLines(1)[0]).empty(); printed += line != "filler") {
        ASSERT_TRUE(printable.contains(line)) << line.substr(0, 200);
    }
    for (std::string line; !(line = server.errLines(1)[0]).empty();) {
        if (line.starts_with("(") && line.ends_with(" console lines dropped)")) dropped += std::stoi(line.substr(1));
    }
    EXPECT_GE(dropped, 1);
    EXPECT_EQ(printed + dropped, 401);
}

}  // namespace
