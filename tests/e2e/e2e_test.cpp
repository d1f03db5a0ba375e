// A real server process on 127.0.0.1:8080, reached over loopback. These cases
// hold for every build of the server: e2e_tests runs them against the Linux
// binary, windows_tests against fingerbridge.exe under wine (serverLaunch()
// picks which). Cases that need one platform's scanner live beside them in
// their own files.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "demo/demo_templates.h"
#include "e2e/server_process.h"
#include "support/loopback.h"

namespace {

constexpr int port = 8080;
const std::string banner = "--- RUNNING LOCAL BIOMETRIC CODE ---";
const std::string listening = "Server is listening for connections on port 8080...";
const std::string origin = "http://app.example:3000";

std::string frontendFile(const std::string& relative) {
    std::ifstream file(std::string(FINGERBRIDGE_FRONTEND_DIR) + "/" + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string jsonReply(const std::string& status, const std::string& body) {
    return status + "\r\nContent-Type: application/json\r\nAccess-Control-Allow-Origin: " + origin +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string post(const std::string& path, const std::string& headers, const std::string& body) {
    return "POST " + path + " HTTP/1.1\r\n" + headers + "Content-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

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

// Each kind of request through the whole road, once, over a real socket.
TEST(EndToEnd, AnswersEachKindOfRequest) {
    ServerProcess server({"--origin", origin});
    server.waitUntilListening();
    const std::string token = "X-CSRF-Token: " + fetchToken(port) + "\r\n";
    const std::string page = frontendFile("biometric/scan.html");
    ASSERT_FALSE(page.empty());
    const std::string csrfRefused =
        jsonReply("HTTP/1.1 403 Forbidden", "{\"success\": false, \"message\": \"CSRF token mismatch, missing, or expired.\"}");
    const std::string notFound = "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nAccess-Control-Allow-Origin: " +
                                 origin + "\r\nContent-Length: 13\r\n\r\n404 Not Found";
    const std::string pageReply = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nAccess-Control-Allow-Origin: " + origin +
                                  "\r\nContent-Length: " + std::to_string(page.size()) + "\r\n\r\n" + page;
    struct Case {
        std::string name, request, reply;
    };
    const Case cases[] = {
        {"preflight", "OPTIONS /api/scan/single HTTP/1.1\r\nHost: rebind.example\r\n\r\n",
         "HTTP/1.1 200 OK\r\nAccess-Control-Allow-Origin: " + origin +
             "\r\nAccess-Control-Allow-Methods: GET, POST, OPTIONS\r\n"
             "Access-Control-Allow-Headers: Content-Type, X-CSRF-Token\r\nContent-Length: 0\r\n\r\n"},
        {"no token", "GET /api/scan/single HTTP/1.1\r\n\r\n", csrfRefused},
        {"wrong token", post("/verify_with_template", "X-CSRF-Token: 0123\r\n", "template1=QUJD"), csrfRefused},
        {"foreign host", "GET /api/config HTTP/1.1\r\nHost: rebind.example:8080\r\n\r\n",
         jsonReply("HTTP/1.1 403 Forbidden", "{\"success\": false, \"message\": \"Host not allowed.\"}")},
        {"demo scan", "GET /api/demoscan/single?finger=2 HTTP/1.1\r\n" + token + "\r\n",
         jsonReply("HTTP/1.1 200 OK",
                   "{\"success\": true, \"imageBase64\": \"\", \"templateBase64\": \"" + DemoTemplates[1] + "\"}")},
        {"demo verify, known template", post("/demoverify_with_template", token, "x=1&template2=" + DemoTemplates[3]),
         jsonReply("HTTP/1.1 200 OK", "{\"success\": true, \"verified\": true}")},
        {"demo verify, unknown template", post("/demoverify_with_template", token, "template1=QUJD"),
         jsonReply("HTTP/1.1 200 OK",
                   "{\"success\": true, \"verified\": false, \"message\": \"Verification failed: No matching "
                   "fingerprint found.\"}")},
        {"start page", "GET / HTTP/1.1\r\nHost: 127.0.0.1:8080\r\n\r\n", pageReply},
        {"page by name", "GET /scan.html HTTP/1.1\r\n\r\n", pageReply},
        {"missing file", "GET /no-such-page.html HTTP/1.1\r\n\r\n", notFound},
        // Both name the start page from outside the tree; Windows reads "\" as a separator too.
        {"climbing out", "GET /../../frontend/biometric/scan.html HTTP/1.1\r\n\r\n", notFound},
        {"climbing out with \\", "GET /..\\..\\frontend\\biometric\\scan.html HTTP/1.1\r\n\r\n", notFound},
    };
    for (const Case& c : cases) EXPECT_EQ(sendRequest(port, c.request), c.reply) << c.name;
    const std::vector<std::string> refusals{
        "CSRF check FAILED for /api/scan/single (Token: '')",
        "CSRF check FAILED for /verify_with_template (Token: '0123')",
        "Host check FAILED for /api/config (Host: 'rebind.example:8080')",
    };
    for (const std::string& line : refusals) EXPECT_EQ(server.nextErrLine(), line);
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
