// What only a real connection shows: a request in pieces, a failing handler, the
// read deadlines, a capture that holds only its own worker, the connection cap.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <tuple>

#include "support/console_lines.h"
#include "support/loopback.h"
#include "support/scripted_scanner.h"

namespace {

using namespace std::chrono_literals;

// A scan whose capture waits until the test releases it.
ScannerScript blockedScan() {
    ScannerScript script;
    script.parameters = {{1, 1}, {2, 1}, {3, 1}, {6, 16}};
    script.frames = {"\x01"};
    script.templateWritten = "TPL";
    script.captureBlocks = true;
    return script;
}

Socket startScan(int port, const std::string& token) {
    Socket scan = connectToLoopback(port);
    sendText(scan, "GET /api/scan/single HTTP/1.1\r\nX-CSRF-Token: " + token + "\r\n\r\n");
    return scan;
}

TEST(Socket, ReadsInPiecesWithinTheDeadlinesAndSurvivesAFailingHandler) {
    ConsoleLines console;
    ScannerScript throwing;
    throwing.captureThrows = true;
    Services services(scriptedScanner(throwing), console.sink());
    TestServer server(services);
    const std::string token = tokenFrom(server.port());
    const std::string body = "template1=Template2_" + std::string(90, 'B') + "==";
    const std::string head = "POST /demoverify_with_template HTTP/1.1\r\nX-CSRF-Token: " + token +
                             "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    Socket client = connectToLoopback(server.port());
    // Header and body in separate segments, the header itself split too.
    for (const std::string& piece : {head.substr(0, 7), head.substr(7), body.substr(0, 30), body.substr(30)}) {
        sendText(client, piece);
        std::this_thread::sleep_for(20ms);
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
        sendText(slow, first);
        for (char byte : trickled) {
            std::this_thread::sleep_for(50ms);
            sendText(slow, std::string(1, byte));
        }
        shutdownSend(slow);
        EXPECT_EQ(readUntilClosed(slow).substr(0, 17), reply) << first << trickled;
        closeSocket(slow);
    }
}

TEST(Socket, AnswersOthersWhileACaptureWaitsForAFinger) {
    ConsoleLines console;
    Services services(scriptedScanner(blockedScan()), console.sink());
    TestServer server(services);
    const std::string token = tokenFrom(server.port());
    Socket scan = startScan(server.port(), token);
    awaitBlockedCapture();
    for (std::string target : {"/api/config", "/api/status", "/"}) {
        const std::string request = "GET " + target + " HTTP/1.1\r\nX-CSRF-Token: " + token + "\r\n\r\n";
        EXPECT_TRUE(sendRequest(server.port(), request).starts_with("HTTP/1.1 200 OK\r\n")) << target;
    }
    releaseCapture();
    EXPECT_NE(readUntilClosed(scan).find("{\"success\": true, \"imageBase64\": \"data:image/bmp;base64,"), std::string::npos);
    closeSocket(scan);
}

TEST(Socket, AtTheCapEndsTheOldestUnfinishedRequestOrWaitsForAWorker) {
    ConsoleLines console;
    Services services(scriptedScanner(blockedScan()), console.sink());
    const std::string config = "GET /api/config HTTP/1.1\r\n\r\n";
    {
        // Two whole requests, one capture blocked and one waiting for the scanner: a third waits in the backlog.
        TestServer capped(services, {.maxConnections = 2});
        const std::string token = tokenFrom(capped.port());
        Socket scans[] = {startScan(capped.port(), token), startScan(capped.port(), token)};
        awaitBlockedCapture();
        Socket third = connectToLoopback(capped.port());
        sendText(third, config);
        EXPECT_FALSE(waitReadable(third, 300ms));  // unanswered for a bounded look
        releaseCapture();
        releaseCapture();
        EXPECT_TRUE(readUntilClosed(third).starts_with("HTTP/1.1 200 OK\r\n"));
        for (Socket connection : {scans[0], scans[1], third}) closeSocket(connection);
    }
    // Two connections stopped mid-header: a third is answered, the one held longest is ended.
    TestServer capped(services, {.maxConnections = 2});
    Socket held[] = {connectToLoopback(capped.port()), connectToLoopback(capped.port())};
    for (Socket connection : held) sendText(connection, "GET /api/config HTTP/1.1\r\nHost: 127.0.0.1\r\n");
    EXPECT_TRUE(sendRequest(capped.port(), config).starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_EQ(readUntilClosed(held[0]), "");
    EXPECT_FALSE(waitReadable(held[1], 0ms));
    for (Socket connection : held) closeSocket(connection);
}

}  // namespace
