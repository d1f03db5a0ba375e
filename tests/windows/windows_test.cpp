// fingerbridge.exe under wine64, started from bin/ of the unpacked operator's zip as a
// double-click starts it, with the stand-in FTRAPI.dll beside it or with no library at all.
#include <gtest/gtest.h>

#include <cstdlib>

#include "e2e/server_process.h"
#include "encoding/base64.h"
#include "support/loopback.h"

namespace {

ServerLaunch wineLaunch(const std::string& stage) {
    const std::string bin = std::string(WINDOWS_STAGE) + "/" + stage + "/bin";
    // Wine's diagnostics would land among the server's lines; Mono and Gecko would want a display.
    // Wine's first start in a while also starts its services.
    return {.program = WINE64, .leadingArguments = {bin + "/fingerbridge.exe"}, .workingDirectory = bin,
            .environment = {{"WINEDEBUG", "-all"}, {"WINEDLLOVERRIDES", "mscoree,mshtml="}}, .lineEnd = "\r\n",
            .lineTimeoutMs = 60000};
}

// Wine's server makes the exe's sockets, in the network it started in: one left
// from another test program would serve this one's exe in that program's network.
struct WineServerGone : testing::Environment {
    void SetUp() override { ASSERT_EQ(std::system(WINESERVER " -w"), 0); }
    void TearDown() override { SetUp(); }
};
testing::Environment* const wineServerGone = testing::AddGlobalTestEnvironment(new WineServerGone);

std::string body(const std::string& reply) { return reply.substr(reply.find("\r\n\r\n") + 4); }

// The reply to a request carrying a fresh token.
std::string ask(const std::string& requestLine, const std::string& form = "") {
    const std::string config = body(sendRequest(8080, "GET /api/config HTTP/1.1\r\n\r\n"));  // {"csrfToken": "..."}
    return sendRequest(8080, requestLine + " HTTP/1.1\r\nX-CSRF-Token: " + config.substr(15, config.size() - 17) +
                                 "\r\nContent-Length: " + std::to_string(form.size()) + "\r\n\r\n" + form);
}

TEST(WindowsStandIn, ConnectsScansAndVerifiesThroughTheOrdinals) {
    ServerProcess server({}, wineLaunch("with-library"));
    server.waitUntilListening();
    EXPECT_EQ(server.outLines(1)[0], "Futronic device connected automatically.");
    const std::string scan = body(ask("GET /api/scan/single"));
    const std::string head = "{\"success\": true, \"imageBase64\": \"data:image/bmp;base64,";
    const std::string middle = "\", \"templateBase64\": \"";
    const std::size_t split = scan.find(middle);
    ASSERT_TRUE(scan.starts_with(head) && split != std::string::npos && scan.ends_with("\"}")) << scan;
    const std::string bmp = decodeBase64(scan.substr(head.size(), split - head.size()));
    // The stand-in's frame (16 * row + column) bottom-up, each 6-byte row padded to 8.
    EXPECT_EQ(bmp.substr(std::min<std::size_t>(1078, bmp.size())),
              std::string("\x30\x31\x32\x33\x34\x35\0\0\x20\x21\x22\x23\x24\x25\0\0"
                          "\x10\x11\x12\x13\x14\x15\0\0\x00\x01\x02\x03\x04\x05\0\0", 32));
    const std::string templ = scan.substr(split + middle.size(), scan.size() - split - middle.size() - 2);
    EXPECT_EQ(templ, encodeBase64(reinterpret_cast<const std::uint8_t*>("STAND-IN"), 8));
    EXPECT_EQ(body(ask("POST /verify_with_template", "template1=" + templ)), "{\"success\": true, \"verified\": true}");
}

TEST(WindowsWithoutLibrary, ReportsTheFailedConnectionAndServesTheRest) {
    ServerProcess server({}, wineLaunch("without-library"));
    server.waitUntilListening();
    EXPECT_EQ(server.errLines(2)[1], "Failed to connect to Futronic device automatically.");  // after the warning
    EXPECT_EQ(body(ask("GET /api/scan/single")), "{\"success\": false, \"message\": \"Failed to get device parameters\"}");
    const std::string demo = ask("GET /api/demoscan/single?finger=1");
    EXPECT_TRUE(demo.starts_with("HTTP/1.1 200 OK\r\n") && body(demo).starts_with("{\"success\": true, ")) << demo;
    EXPECT_TRUE(sendRequest(8080, "GET / HTTP/1.1\r\n\r\n").starts_with("HTTP/1.1 200 OK\r\n"));
}

TEST(WindowsDevices, ConsoleNamesAnswerNotFoundWhenStandardInputIsATerminal) {
    ServerProcess server({}, [] { auto l = wineLaunch("without-library"); l.terminalInput = true; return l; }());
    server.waitUntilListening();
    for (std::string p : {"/CON", "/con.html", "/CONIN$"}) EXPECT_EQ(body(ask("GET " + p)), "404 Not Found") << p;
}

}  // namespace

// The shared cases of e2e/e2e_test.cpp run against the exe with the stand-in.
ServerLaunch serverLaunch() { return wineLaunch("with-library"); }
