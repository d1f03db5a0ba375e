// Cases that need the Linux process itself.
#include <gtest/gtest.h>

#include <set>

#include "e2e/server_process.h"
#include "support/loopback.h"

// From tests/, as from any folder beside frontend/, the server serves ../frontend/.
ServerLaunch serverLaunch() { return {.program = FINGERBRIDGE_BINARY, .workingDirectory = FINGERBRIDGE_TESTS_DIR}; }

namespace {

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
