// The real binary on 127.0.0.1:8080, started from the build folder.
#include <gtest/gtest.h>

#include "demo/demo_templates.h"
#include "e2e/server_process.h"
#include "support/loopback.h"

namespace {

constexpr int port = 8080;
const std::string banner = "--- RUNNING LOCAL BIOMETRIC CODE ---";
const std::string listening = "Server is listening for connections on port 8080...";

TEST(EndToEnd, PrintsBannerForEachOriginArgumentForm) {
    struct Case {
        std::vector<std::string> arguments;
        std::string origin;
    };
    const Case cases[] = {
        {{}, "*"},
        {{"--origin", "https://app.example:8443"}, "https://app.example:8443"},
        {{"--origin", "a", "--origin", "b"}, "b"},
        {{"--origin"}, "*"},
        {{"--origin", "--origin"}, "--origin"},
        {{"foo", "--origin", "x", "bar"}, "x"},
        {{"--origin=x", "--ORIGIN", "y", "-origin", "z"}, "*"},
        {{"--origin", ""}, ""},
    };
    for (const Case& c : cases) {
        ServerProcess server(c.arguments);
        EXPECT_EQ(server.waitUntilListening(),
                  (std::vector<std::string>{banner, "Allowed Origin: " + c.origin, listening}));
        EXPECT_EQ(server.nextOutLine(), "Futronic device connected automatically.");
        std::string reply = sendRequest(port, "GET /api/config HTTP/1.1\r\nHost: localhost:8080\r\n\r\n");
        EXPECT_NE(reply.find("\r\nAccess-Control-Allow-Origin: " + c.origin + "\r\n"), std::string::npos);
    }
}

TEST(EndToEnd, ScanThenVerifyWithTheSimulatedScanner) {
    ServerProcess server;
    server.waitUntilListening();
    server.nextOutLine();
    std::string token = "X-CSRF-Token: " + fetchToken(port) + "\r\n";
    std::string scan = parseReply(sendRequest(port, "GET /api/scan/single HTTP/1.1\r\n" + token + "\r\n")).body;
    const std::string key = "\"templateBase64\": \"";
    ASSERT_EQ(scan.find("{\"success\": true, \"imageBase64\": \"data:image/bmp;base64,Qk"), 0u) << scan.substr(0, 200);
    std::size_t at = scan.find(key) + key.size();
    std::string templ = scan.substr(at, scan.size() - at - 2);
    for (const auto& [path, body] : {std::pair<std::string, std::string>{"/verify_with_template", "template1=" + templ},
                                     {"/demoverify_with_template", "template1=" + DemoTemplates[1]}}) {
        std::string reply = sendRequest(port, "POST " + path + " HTTP/1.1\r\n" + token + "Content-Length: " +
                                               std::to_string(body.size()) + "\r\n\r\n" + body);
        EXPECT_EQ(parseReply(reply).body, "{\"success\": true, \"verified\": true}") << path;
    }
}

TEST(EndToEnd, ServesTheStartPageFromTheFrontendTree) {
    ServerProcess server;
    server.waitUntilListening();
    ParsedReply page = parseReply(sendRequest(port, "GET / HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(page.statusLine, "HTTP/1.1 200 OK");
    EXPECT_NE(page.headers.find("Content-Type: text/html"), std::string::npos);
    EXPECT_NE(page.body.find("<html"), std::string::npos);
}

TEST(EndToEnd, SecondServerOnTheSamePortReportsAndExits) {
    ServerProcess first;
    first.waitUntilListening();
    ServerProcess second({}, ServerProcess::PortLock::alreadyHeld);
    EXPECT_EQ(second.nextOutLine(), banner);
    second.nextOutLine();
    EXPECT_EQ(second.nextErrLine().rfind("bind failed: ", 0), 0u);
}

}  // namespace
