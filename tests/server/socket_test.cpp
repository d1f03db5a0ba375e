// What only a real connection shows: requests in pieces, a failing handler
// (silent, vanishing and oversized clients: the e2e burst).
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/console_lines.h"
#include "support/loopback.h"
#include "support/scripted_scanner.h"

namespace {

std::string tokenFrom(int port) {
    std::string reply = sendRequest(port, "GET /api/config HTTP/1.1\r\n\r\n");
    std::string body = reply.substr(reply.find("\r\n\r\n") + 4);  // {"csrfToken": "..."}
    return body.substr(15, body.size() - 17);
}

TEST(Socket, ReadsABodyThatArrivesInPieces) {
    Services services(scriptedScanner());
    TestServer server(services);
    const std::string templ = "Template2_" + std::string(90, 'B') + "==";
    const std::string body = "template1=" + templ;
    Socket client = connectToLoopback(server.port());
    const std::string head = "POST /demoverify_with_template HTTP/1.1\r\nX-CSRF-Token: " + tokenFrom(server.port()) +
                             "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    // Header and body in separate segments, the header itself split too.
    for (const std::string& piece : {head.substr(0, 7), head.substr(7), body.substr(0, 30), body.substr(30)}) {
        sendAll(client, piece.data(), piece.size());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::string reply = readUntilClosed(client);
    closeSocket(client);
    EXPECT_TRUE(reply.ends_with("{\"success\": true, \"verified\": true}")) << reply;
}

TEST(Socket, SurvivesAFailingHandler) {
    ConsoleLines console;
    ScannerScript throwing;
    throwing.captureThrows = true;
    Services services(scriptedScanner(throwing), console.sink());
    TestServer server(services);
    const std::string token = tokenFrom(server.port());
    // The library throws: that connection closes unanswered, nothing else.
    EXPECT_EQ(sendRequest(server.port(), "GET /api/scan/single HTTP/1.1\r\nX-CSRF-Token: " + token + "\r\n\r\n"), "");
    EXPECT_TRUE(sendRequest(server.port(), "GET /api/config HTTP/1.1\r\n\r\n").starts_with("HTTP/1.1 200 OK\r\n"));
}

}  // namespace
