// fingerbridge.exe under wine64, started from bin/ of the unpacked operator's zip as a
// double-click starts it, with the stand-in FTRAPI.dll beside it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "e2e/server_process.h"
#include "encoding/base64.h"
#include "support/loopback.h"
#include "windows/wine_commands.h"

namespace {

ServerLaunch wineLaunch(const std::string& stage) {
    const std::string bin = std::string(WINDOWS_STAGE) + "/" + stage + "/" WINDOWS_TOP "/bin";
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

// The body of the reply to a request carrying a fresh token.
std::string ask(const std::string& requestLine, const std::string& form = "") {
    const std::string reply = sendRequest(8080, requestLine + " HTTP/1.1\r\nX-CSRF-Token: " + tokenFrom(8080) +
                                                    "\r\nContent-Length: " + std::to_string(form.size()) +
                                                    "\r\n\r\n" + form);
    return reply.substr(reply.find("\r\n\r\n") + 4);
}

TEST(WindowsZip, UnpacksWithItsSumsAndTheScriptsSetAndClearTheRunValue) {
    char made[] = "/tmp/fb zip XXXXXX";  // short, as the Run value holds the folder twice in 260 characters
    ASSERT_NE(mkdtemp(made), nullptr);
    EXPECT_EQ(shell("cd '" + std::string(made) + "' && " CMAKE_COMMAND " -E tar xf '" WINDOWS_ZIP "' && cd " WINDOWS_TOP
                    " && sha256sum -c SHA256SUMS && [ $(find -type f | wc -l) = $((1 + $(wc -l <SHA256SUMS))) ]")
                  .second, 0);
    const std::string bin = "Z:\\tmp\\" + std::string(made + 5) + "\\" WINDOWS_TOP "\\bin";
    const std::string set = "cmd.exe /c start \"\" /min /d \"" + bin + "\" \"" + bin + "\\fingerbridge.exe\"";
    const std::string fill = " --origin https://" + std::string(260 - set.size() - 18, 'a');  // to 260 characters
    const std::string origins = " --origin https://a.example,https://b.example";
    struct Case { std::string script, arguments; int status; std::string value; };
    for (const Case& c : std::vector<Case>{{"start-at-logon", "", 0, set}, {"start-at-logon", fill, 0, set + fill},
        {"start-at-logon", fill + "a", 1, set + fill}, {"start-at-logon", origins, 0, set + origins},
        {"stop-starting-at-logon", "", 0, ""}, {"stop-starting-at-logon", "", 0, ""}}) {
        EXPECT_EQ(shell(wine + "cmd /c '" + bin + "\\" + c.script + ".cmd'" + c.arguments).second, c.status)
            << c.script << c.arguments;
        EXPECT_EQ(runValue("HKCU"), c.value);
    }
    shell("rm -rf '" + std::string(made) + "'");
}

TEST(WindowsStandIn, ConnectsScansAndVerifiesThroughTheOrdinals) {
    ServerProcess server({}, wineLaunch("with-library"));
    server.waitUntilListening();
    EXPECT_EQ(server.outLines(1)[0], "Futronic device connected automatically.");
    const std::string scan = ask("GET /api/scan/single");
    const std::string head = "{\"success\": true, \"imageBase64\": \"data:image/bmp;base64,";
    const std::string middle = "\", \"templateBase64\": \"";
    const std::size_t split = scan.find(middle);
    const std::string tail = "\", \"quality\": 0}";  // a 6 x 4 frame holds no finger
    ASSERT_TRUE(scan.starts_with(head) && split != std::string::npos && scan.ends_with(tail)) << scan;
    const std::string bmp = decodeBase64(scan.substr(head.size(), split - head.size()));
    // The stand-in's frame (16 * row + column) bottom-up, each 6-byte row padded to 8.
    EXPECT_EQ(bmp.substr(std::min<std::size_t>(1078, bmp.size())),
              std::string("\x30\x31\x32\x33\x34\x35\0\0\x20\x21\x22\x23\x24\x25\0\0"
                          "\x10\x11\x12\x13\x14\x15\0\0\x00\x01\x02\x03\x04\x05\0\0", 32));
    const std::string templ = scan.substr(split + middle.size(), scan.size() - split - middle.size() - tail.size());
    EXPECT_EQ(templ, encodeBase64(reinterpret_cast<const std::uint8_t*>("STAND-IN"), 8));
    EXPECT_EQ(ask("POST /verify_with_template", "template1=" + templ), "{\"success\": true, \"verified\": true}");
}

}  // namespace

// The shared cases of e2e/e2e_test.cpp run against the exe with the stand-in.
ServerLaunch serverLaunch() { return wineLaunch("with-library"); }
