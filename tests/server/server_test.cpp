// The server over real loopback sockets, in process, on an ephemeral port.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "demo/demo_templates.h"
#include "support/console_capture.h"
#include "support/loopback.h"
#include "support/scripted_scanner.h"

namespace {

const std::string origin = "http://app.example:3000";
const std::string csrfFailure =
    "HTTP/1.1 403 Forbidden\r\nContent-Type: application/json\r\n"
    "Access-Control-Allow-Origin: http://app.example:3000\r\nContent-Length: 74\r\n\r\n"
    "{\"success\": false, \"message\": \"CSRF token mismatch, missing, or expired.\"}";
const std::string notVerified =
    "{\"success\": true, \"verified\": false, \"message\": \"Verification failed: No matching "
    "fingerprint found.\"}";

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override { installScriptedScanner(); }
    std::string get(const std::string& path, const std::string& extraHeaders = "") {
        return sendRequest(server.port(), "GET " + path + " HTTP/1.1\r\n" + extraHeaders + "\r\n");
    }
    std::string withToken() { return "X-CSRF-Token: " + fetchToken(server.port()) + "\r\n"; }
    std::string post(const std::string& path, const std::string& body, const std::string& headers) {
        return sendRequest(server.port(), "POST " + path + " HTTP/1.1\r\n" + headers +
                                           "Content-Length: " + std::to_string(body.size()) +
                                           "\r\n\r\n" + body);
    }

    TestServer server{origin};
};

TEST_F(ServerTest, AnswersPreflightForAnyPathWithoutToken) {
    const std::string expected =
        "HTTP/1.1 200 OK\r\nAccess-Control-Allow-Origin: http://app.example:3000\r\n"
        "Access-Control-Allow-Methods: GET, POST, OPTIONS\r\n"
        "Access-Control-Allow-Headers: Content-Type, X-CSRF-Token\r\nContent-Length: 0\r\n\r\n";
    for (const std::string path : {"/api/scan/single", "/verify_with_template", "/anything"}) {
        EXPECT_EQ(sendRequest(server.port(), "OPTIONS " + path + " HTTP/1.1\r\nHost: evil.example\r\n\r\n"),
                  expected);
    }
    EXPECT_EQ(sendRequest(server.port(), "OPTIONS"), expected);
    EXPECT_TRUE(scannerCalls().empty());
}

TEST_F(ServerTest, GateRefusesProtectedPathsWithoutValidToken) {
    ConsoleCapture console;
    const std::string refused[] = {
        "GET /api/scan/single HTTP/1.1\r\n\r\n",
        "GET /api/demoscan/single?finger=1 HTTP/1.1\r\nX-CSRF-Token: nope\r\n\r\n",
        "GET /api/config?x=1 HTTP/1.1\r\n\r\n",
        "GET /api/unknown HTTP/1.1\r\nX-CSRF-Token:   \t\r\n\r\n",
        "POST /verify_with_template HTTP/1.1\r\nx-csrf-token: " + fetchToken(server.port()) + "\r\n\r\n",
        "post /demoverify_with_template HTTP/1.1\r\n\r\n",
    };
    for (const std::string& request : refused) EXPECT_EQ(sendRequest(server.port(), request), csrfFailure) << request;
    EXPECT_TRUE(scannerCalls().empty());
    std::vector<std::string> errors = console.err();
    ASSERT_EQ(errors.size(), 6u);
    EXPECT_EQ(errors[0], "CSRF check FAILED for /api/scan/single (Token: '')");
    EXPECT_EQ(errors[1], "CSRF check FAILED for /api/demoscan/single?finger=1 (Token: 'nope')");
}

TEST_F(ServerTest, RoutesByMethodAndPath) {
    std::string token = withToken();
    struct Case {
        std::string request, statusLine, body;
    };
    const std::string demoBody = "template1=" + DemoTemplates[0];
    const Case cases[] = {
        {"GET /api/demoscan/single?finger=4 HTTP/1.1\r\n" + token + "\r\n", "HTTP/1.1 200 OK",
         "{\"success\": true, \"imageBase64\": \"\", \"templateBase64\": \"" + DemoTemplates[3] + "\"}"},
        {"POST /demoverify_with_template HTTP/1.1\r\n" + token + "Content-Length: " +
             std::to_string(demoBody.size()) + "\r\n\r\n" + demoBody,
         "HTTP/1.1 200 OK", "{\"success\": true, \"verified\": true}"},
        // A verify path with another method passes the gate and falls through to the files.
        {"GET /demoverify_with_template HTTP/1.1\r\n" + token + "\r\n", "HTTP/1.1 404 Not Found", "404 Not Found"},
        {"post /verify_with_template HTTP/1.1\r\n" + token + "\r\n", "HTTP/1.1 404 Not Found", "404 Not Found"},
        {"GET /api/config?x=1 HTTP/1.1\r\n" + token + "\r\n", "HTTP/1.1 404 Not Found", "404 Not Found"},
        {"POST /verify_with_template HTTP/1.1\r\n" + token + "\r\n", "HTTP/1.1 200 OK", notVerified},
        {"GET  HTTP/1.1\r\n\r\n", "HTTP/1.1 404 Not Found", "404 Not Found"},
    };
    for (const Case& c : cases) {
        ParsedReply reply = parseReply(sendRequest(server.port(), c.request));
        EXPECT_EQ(reply.statusLine, c.statusLine) << c.request;
        EXPECT_EQ(reply.body, c.body) << c.request;
        EXPECT_NE(reply.headers.find("\r\nAccess-Control-Allow-Origin: " + origin + "\r\n"), std::string::npos);
    }
}

TEST_F(ServerTest, ConfigIssuesDistinctTokensForAnyMethod) {
    ConsoleCapture console;
    std::string first = fetchToken(server.port());
    ParsedReply posted = parseReply(sendRequest(server.port(), "POST /api/config HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(posted.statusLine, "HTTP/1.1 200 OK");
    EXPECT_NE(posted.headers.find("Content-Type: application/json"), std::string::npos);
    EXPECT_EQ(posted.body.find("{\"csrfToken\": \""), 0u);
    EXPECT_EQ(posted.body.find(first), std::string::npos);
    EXPECT_EQ(console.out().front(), "New CSRF Token Generated and Stored: " + first);
    // Both tokens stay valid.
    std::string second = posted.body.substr(15, posted.body.size() - 17);
    for (const std::string& token : {first, second}) {
        EXPECT_EQ(parseReply(get("/api/demoscan/single?finger=1", "X-CSRF-Token: " + token + "\r\n")).statusLine,
                  "HTTP/1.1 200 OK");
    }
}

TEST_F(ServerTest, ReadsHeadersAndBodiesSpreadOverManySegments) {
    const std::string token = fetchToken(server.port());
    const std::string body = "x=1&template2=" + DemoTemplates[1];
    const std::string request = "POST /demoverify_with_template HTTP/1.1\r\nX-CSRF-Token: " + token +
                                "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    Socket client = connectToLoopback(server.port());
    for (std::size_t at = 0; at < request.size(); at += 23) {
        std::string piece = request.substr(at, 23);
        sendAll(client, piece.data(), piece.size());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(parseReply(readUntilClosed(client)).body, "{\"success\": true, \"verified\": true}");
    closeSocket(client);
}

TEST_F(ServerTest, RefusesOversizedRequests) {
    const std::string tooLarge =
        "HTTP/1.1 413 Payload Too Large\r\nContent-Type: application/json\r\n"
        "Access-Control-Allow-Origin: http://app.example:3000\r\nContent-Length: 51\r\n\r\n"
        "{\"success\": false, \"message\": \"Request too large.\"}";
    EXPECT_EQ(sendRequest(server.port(), "POST /verify_with_template HTTP/1.1\r\nContent-Length: 1048577\r\n\r\n"),
              tooLarge);
    EXPECT_EQ(sendRequest(server.port(), "GET / HTTP/1.1\r\nCookie: " + std::string(70000, 'c')), tooLarge);
    // A negative length counts as none: the request is served at once.
    EXPECT_EQ(parseReply(sendRequest(server.port(), "POST /api/config HTTP/1.1\r\nContent-Length: -9\r\n\r\n")).statusLine,
              "HTTP/1.1 200 OK");
}

TEST_F(ServerTest, RefusesForeignHostNames) {
    ConsoleCapture console;
    const std::string refusedReply =
        "HTTP/1.1 403 Forbidden\r\nContent-Type: application/json\r\n"
        "Access-Control-Allow-Origin: http://app.example:3000\r\nContent-Length: 50\r\n\r\n"
        "{\"success\": false, \"message\": \"Host not allowed.\"}";
    EXPECT_EQ(get("/api/config", "HOST: rebind.example:8080\r\n"), refusedReply);
    EXPECT_EQ(console.err(), std::vector<std::string>{"Host check FAILED for /api/config (Host: 'rebind.example:8080')"});
    for (const std::string host : {"127.0.0.1:8080", "LocalHost", "[::1]:8080"}) {
        EXPECT_EQ(parseReply(get("/api/config", "Host: " + host + "\r\n")).statusLine, "HTTP/1.1 200 OK") << host;
    }
}

TEST_F(ServerTest, ServesFiftyClientsAtOnce) {
    const std::string token = withToken();
    std::vector<std::future<std::string>> replies;
    for (int i = 0; i < 50; ++i) {
        int finger = i % 4 + 1;
        replies.push_back(std::async(std::launch::async, [this, token, finger] {
            return parseReply(get("/api/demoscan/single?finger=" + std::to_string(finger), token)).body;
        }));
    }
    for (int i = 0; i < 50; ++i) {
        EXPECT_NE(replies[i].get().find(DemoTemplates[i % 4]), std::string::npos) << i;
    }
}

TEST_F(ServerTest, SilentClientDoesNotHoldUpOthers) {
    Socket silent = connectToLoopback(server.port());
    Socket halfSent = connectToLoopback(server.port());
    std::string partial = "POST /demoverify_with_template HTTP/1.1\r\nContent-Length: 100\r\n\r\nabc";
    sendAll(halfSent, partial.data(), partial.size());
    EXPECT_EQ(parseReply(get("/api/config")).statusLine, "HTTP/1.1 200 OK");
    closeSocket(silent);
    closeSocket(halfSent);
}

TEST_F(ServerTest, SurvivesClientsThatVanish) {
    ScannerScript big;
    big.parameters = {{1, 640}, {2, 480}, {3, 640 * 480}, {6, 64}};
    big.frames = {std::string(640 * 480, '\x80')};
    installScriptedScanner(big);
    const std::string token = withToken();
    for (int i = 0; i < 5; ++i) {
        Socket client = connectToLoopback(server.port());
        std::string request = "GET /api/scan/single HTTP/1.1\r\n" + token + "\r\n";
        sendAll(client, request.data(), request.size());
        closeSocket(client);  // gone before the large reply is written
    }
    Socket empty = connectToLoopback(server.port());
    closeSocket(empty);
    EXPECT_EQ(parseReply(get("/api/config")).statusLine, "HTTP/1.1 200 OK");
}

TEST_F(ServerTest, ConnectionOpenedAndClosedGetsNothing) {
    ConsoleCapture console;
    Socket client = connectToLoopback(server.port());
    shutdownSend(client);
    EXPECT_EQ(readUntilClosed(client), "");
    closeSocket(client);
    EXPECT_TRUE(console.out().empty());
    EXPECT_TRUE(console.err().empty());
}

TEST_F(ServerTest, HandlerExceptionClosesOnlyItsConnection) {
    ScannerScript failing;
    failing.parameters = {{3, 6}, {6, 8}};
    failing.captureThrows = true;
    installScriptedScanner(failing);
    const std::string token = withToken();
    EXPECT_EQ(get("/api/scan/single", token), "");
    EXPECT_EQ(currentParameter(10), 7u);
    EXPECT_EQ(currentParameter(5), callbackParameter(defaultScanCallback));
    EXPECT_EQ(parseReply(get("/api/config")).statusLine, "HTTP/1.1 200 OK");
}

}  // namespace
