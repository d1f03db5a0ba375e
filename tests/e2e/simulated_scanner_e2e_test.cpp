// The Linux binary's built-in simulated scanner, end to end: a scan's template
// verifies against the same simulated finger.
#include <gtest/gtest.h>

#include "demo/demo_templates.h"
#include "e2e/server_process.h"
#include "support/loopback.h"

namespace {

constexpr int port = 8080;

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

}  // namespace
