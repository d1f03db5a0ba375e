// What only a real connection shows: a request in pieces, a failing handler
// (silent, vanishing and oversized clients: the e2e burst).
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/console_lines.h"
#include "support/loopback.h"
#include "support/scripted_scanner.h"

namespace {

TEST(Socket, ReadsARequestInPiecesAndSurvivesAFailingHandler) {
    ConsoleLines console;
    ScannerScript throwing;
    throwing.captureThrows = true;
    Services services(scriptedScanner(throwing), console.sink());
    TestServer server(services);
    const std::string config = sendRequest(server.port(), "GET /api/config HTTP/1.1\r\n\r\n");
    const std::string token = config.substr(config.find("\r\n\r\n") + 19, config.size() - config.find("\r\n\r\n") - 21);
    const std::string body = "template1=Template2_" + std::string(90, 'B') + "==";
    const std::string head = "POST /demoverify_with_template HTTP/1.1\r\nX-CSRF-Token: " + token +
                             "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    Socket client = connectToLoopback(server.port());
    // Header and body in separate segments, the header itself split too.
    for (const std::string& piece : {head.substr(0, 7), head.substr(7), body.substr(0, 30), body.substr(30)}) {
        sendAll(client, piece.data(), piece.size());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(readUntilClosed(client).ends_with("{\"success\": true, \"verified\": true}"));
    closeSocket(client);
    // The library throws: that connection closes unanswered, nothing else.
    EXPECT_EQ(sendRequest(server.port(), "GET /api/scan/single HTTP/1.1\r\nX-CSRF-Token: " + token + "\r\n\r\n"), "");
    EXPECT_TRUE(sendRequest(server.port(), "GET /api/config HTTP/1.1\r\n\r\n").starts_with("HTTP/1.1 200 OK\r\n"));
}

}  // namespace
