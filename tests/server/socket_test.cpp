// What only a real connection shows: a request in pieces, a failing handler, the
// read deadlines, the connection cap (vanishing and oversized clients: the e2e burst).
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <tuple>

#include "support/console_lines.h"
#include "support/loopback.h"
#include "support/scripted_scanner.h"

namespace {

using namespace std::chrono_literals;

TEST(Socket, ReadsInPiecesWithinTheDeadlinesUpToTheCapAndSurvivesAFailingHandler) {
    ConsoleLines console;
    ScannerScript throwing;
    throwing.captureThrows = true;
    Services services(scriptedScanner(throwing), console.sink());
    TestServer server(services);
    const std::string config = sendRequest(server.port(), "GET /api/config HTTP/1.1\r\n\r\n");  // ...{"csrfToken": "..."}
    const std::string token = config.substr(config.rfind(' ') + 2, config.size() - config.rfind(' ') - 4);
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

    // Small limits; the client sends `first`, then `trickled` a byte every 50 ms, then ends its side.
    const std::string configHead = "GET /api/config HTTP/1.1\r\nContent-Length: 10\r\n\r\n";
    const std::tuple<ConnectionLimits, std::string, std::string, std::string> cases[] = {
        {{.headerDeadline = 150ms}, "GET /api/config HTTP/1.1\r\n", "X: 123\r\n\r\n", ""},  // header too slow
        {{.requestDeadline = 150ms}, configHead, "0123456789", ""},                         // body too slow
        {{.headerDeadline = 150ms}, configHead, "0123456789", "HTTP/1.1 200 OK\r\n"},      // body in time
        {{}, configHead, "01", "HTTP/1.1 200 OK\r\n"},  // the client's end: what arrived is answered
    };
    for (const auto& [limits, first, trickled, reply] : cases) {
        TestServer limited(services, limits);
        Socket slow = connectToLoopback(limited.port());
        sendAll(slow, first.data(), first.size());
        for (char byte : trickled) {
            std::this_thread::sleep_for(50ms);
            sendAll(slow, &byte, 1);
        }
        shutdownSend(slow);
        EXPECT_EQ(readUntilClosed(slow).substr(0, 17), reply) << first << trickled;
        closeSocket(slow);
    }
    // Two connections stopped mid-header fill a cap of 2: a third waits in the backlog until one closes.
    TestServer capped(services, {.maxConnections = 2});
    Socket held[] = {connectToLoopback(capped.port()), connectToLoopback(capped.port())};
    for (Socket connection : held) sendAll(connection, "GET", 3);
    Socket third = connectToLoopback(capped.port());
    sendAll(third, "GET /api/config HTTP/1.1\r\n\r\n", 28);
    EXPECT_FALSE(waitReadable(third, std::chrono::steady_clock::now() + 300ms));  // unanswered for a bounded look
    closeSocket(held[0]);
    EXPECT_TRUE(readUntilClosed(third).starts_with("HTTP/1.1 200 OK\r\n"));
    for (Socket connection : {held[1], third}) closeSocket(connection);
}

}  // namespace
