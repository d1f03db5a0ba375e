// The scanner contract, against a scripted library: call order, parameters
// restored on every path, the BMP's bytes, what verification tries.
#include <gtest/gtest.h>

#include <thread>

#include "encoding/base64.h"
#include "scanner/connect_scanner.h"
#include "scanner/load_failure.h"
#include "scanner/scan_endpoint.h"
#include "scanner/unavailable_library.h"
#include "scanner/verify_endpoint.h"
#include "support/console_lines.h"
#include "support/scripted_scanner.h"

namespace {

const std::string parametersFailed = "{\"success\": false, \"message\": \"Failed to get device parameters\"}";
const std::string scanFailed = "{\"success\": false, \"message\": \"Single scan failed or image not captured\"}";

ScannerScript threeByTwo() {
    ScannerScript script;
    script.parameters = {{1, 3}, {2, 2}, {3, 6}, {6, 16}};
    script.frames = {"short", "\x01\x02\x03\x04\x05\x06", "\x07\x07\x07\x07\x07\x07"};
    script.templateWritten = "TPL";
    return script;
}

std::string scan(const ScannerScript& script) {
    ConsoleLines console;
    Scanner scanner(scriptedScanner(script));
    Reply reply = handleScanSingle(scanner, console.console);
    EXPECT_EQ(console.out, std::vector<std::string>{"--- Handling /api/scan/single ---"});
    EXPECT_EQ(currentParameter(10), 7u);
    return reply.body;
}

TEST(ScanSingle, ReturnsTheFirstFullFrameAsABottomUpBmpAndTheWrittenTemplate) {
    const std::string body = scan(threeByTwo());
    EXPECT_EQ(scannerCalls(), (std::vector<std::string>{"3:10=1", "4:3", "4:6", "3:5", "6", "4:1", "4:2", "3:5", "3:10=7"}));
    EXPECT_EQ(currentParameter(5), callbackParameter(defaultScanCallback));
    const std::string head = "{\"success\": true, \"imageBase64\": \"data:image/bmp;base64,";
    const std::string middle = "\", \"templateBase64\": \"";
    // A 3 x 2 frame is too small to hold a finger: quality 0.
    ASSERT_TRUE(body.starts_with(head) && body.ends_with("\", \"quality\": 0}")) << body;
    const std::size_t split = body.find(middle);
    const std::string bmp = decodeBase64(body.substr(head.size(), split - head.size()));
    // The written length (3), not the capacity (16).
    EXPECT_EQ(body.substr(split + middle.size()),
              encodeBase64(reinterpret_cast<const std::uint8_t*>("TPL"), 3) + "\", \"quality\": 0}");
    const std::string header("BM\x3e\x04\0\0\0\0\0\0\x36\x04\0\0\x28\0\0\0\x03\0\0\0\x02\0\0\0\x01\0\x08\0", 30);
    ASSERT_EQ(bmp.size(), 1086u);
    EXPECT_EQ(bmp.substr(0, 30), header);
    EXPECT_EQ(bmp.substr(30, 24), std::string(24, '\0'));
    EXPECT_EQ(bmp.substr(54 + 4 * 200, 4), std::string("\xc8\xc8\xc8\0", 4));  // grey ramp
    EXPECT_EQ(bmp.substr(1078), std::string("\x04\x05\x06\x00\x01\x02\x03\x00", 8));
}

TEST(ScanSingle, AnswersEveryFailureAndRestoresParameters) {
    const std::tuple<const char*, void (*)(ScannerScript&), std::string, bool> cases[] = {
        {"frame size unreadable", [](ScannerScript& s) { s.getStatus[3] = 9; }, parametersFailed, false},
        {"capacity unreadable", [](ScannerScript& s) { s.getStatus[6] = 9; }, parametersFailed, false},
        {"capture fails", [](ScannerScript& s) { s.captureStatus = 5; }, scanFailed, true},
        {"no frame of the size", [](ScannerScript& s) { s.frames = {"short"}; }, scanFailed, true},
        {"frame without its state bit", [](ScannerScript& s) { s.frameStateBits = 2; }, scanFailed, true},
        {"width and height disagree with size", [](ScannerScript& s) { s.parameters[1] = 2; }, scanFailed, true},
    };
    for (const auto& [name, change, body, callbackWasSet] : cases) {
        ScannerScript script = threeByTwo();
        change(script);
        EXPECT_EQ(scan(script), body) << name;
        EXPECT_EQ(currentParameter(5), callbackWasSet ? callbackParameter(defaultScanCallback) : 0u) << name;
    }
}

TEST(ScanSingle, NeverReadsATemplateBeyondItsCapacity) {
    ScannerScript script = threeByTwo();
    script.parameters[6] = 4;
    script.templateWritten = "0123456789";  // the library claims more than it was given
    EXPECT_TRUE(scan(script).ends_with("\"templateBase64\": \"MDEyMw==\", \"quality\": 0}"));
}

TEST(VerifyWithTemplate, TriesUsableTemplatesInOrderUntilOneMatches) {
    ScannerScript script;
    script.verifyResults = {{9, 1}, {0, 0}, {0, 1}};  // a failing call, a mismatch, a match
    ConsoleLines console;
    Scanner scanner(scriptedScanner(script));
    Reply reply = handleVerifyWithTemplate(
        scanner, console.console, "template1=QUJD&template2=&template3=%%&template4=R0hJ&template5=REVG&template6=SktM");
    EXPECT_EQ(reply.body, "{\"success\": true, \"verified\": true}");
    EXPECT_EQ(verifiedTemplates(), (std::vector<std::string>{"ABC", "GHI", "DEF"}));
    EXPECT_EQ(console.err, std::vector<std::string>{"Error decoding base64 template: Input is not valid base64-encoded data."});
    EXPECT_EQ(scannerCalls(), (std::vector<std::string>{"7", "7", "7"}));  // no parameter is set
    // Past 16 templates nothing is decoded and the scanner is not touched.
    std::string seventeen;
    for (int i = 0; i < 17; ++i) seventeen += "&template=QUJD";
    EXPECT_EQ(handleVerifyWithTemplate(scanner, console.console, seventeen).body, tooManyTemplatesBody);
    EXPECT_EQ(scannerCalls().size(), 3u);
}

TEST(ConnectScanner, OpensSetsStartupParametersAndReportsWhatStopsItAtStartUp) {
    const std::tuple<const char*, void (*)(ScannerScript&), std::string, std::size_t, std::string> cases[] = {
        {"all succeed", [](ScannerScript&) {}, "", 5, ""},
        {"open fails", [](ScannerScript& s) { s.openStatus = 0xFFFFFFFF; }, "", 2, "opening the scanner failed with status -1"},
        {"2001 fails, ignored", [](ScannerScript& s) { s.setStatus[2001] = 1; }, "", 5, ""},
        {"4 fails", [](ScannerScript& s) { s.setStatus[4] = 7; }, "", 4, "setting parameter 4 failed with status 7"},
        {"9 fails", [](ScannerScript& s) { s.setStatus[9] = 1; }, "", 5, "setting parameter 9 failed with status 1"},
        {"unusable library, not called", [](ScannerScript&) {}, "FTRAPI.dll lacks ordinal 6", 0, "FTRAPI.dll lacks ordinal 6"},
    };
    const std::vector<std::string> all{"2", "1", "3:2001=0", "3:4=1", "3:9=0"};
    for (const auto& [name, change, problem, calls, detail] : cases) {
        ScannerScript script;
        change(script);
        ConsoleLines console;
        Scanner scanner(unavailableScannerLibrary());
        scanner.start(console.console, [&] { return LibraryChoice{scriptedScanner(script), "vendor", problem}; });
        EXPECT_EQ(scannerCalls(), std::vector<std::string>(all.begin(), all.begin() + calls)) << name;
        const std::vector<std::string> lines =
            detail.empty() ? std::vector<std::string>{"Futronic device connected automatically."}
                           : std::vector<std::string>{"Failed to connect to Futronic device automatically.",
                                                      "Scanner library: " + detail};
        EXPECT_EQ(detail.empty() ? console.out : console.err, lines) << name;
    }
}

// Each change of state prints one line; a failure that repeats prints nothing.
TEST(ConnectScanner, ReconnectsWhileNotConnectedAndFindsALibraryAddedLater) {
    ConsoleLines console;
    Scanner scanner(unavailableScannerLibrary());
    scanner.reconnectInterval = std::chrono::milliseconds(0);
    ScannerScript script = threeByTwo();
    script.openStatus = 5;
    int looks = 0;
    scanner.start(console.console, [&] {
        return ++looks == 1 ? LibraryChoice{unavailableScannerLibrary(), "vendor", "FTRAPI.dll not found"}
                            : LibraryChoice{scriptedScanner(script), "vendor", ""};
    });
    auto state = [&] {
        const ScannerState now = scanner.check(console.console);
        return (now.connected ? "connected" : "unavailable: ") + now.detail;
    };
    EXPECT_EQ(state(), "unavailable: opening the scanner failed with status 5");  // the library found, not usable
    EXPECT_EQ(state(), "unavailable: opening the scanner failed with status 5");
    ScannerScript working = threeByTwo();
    working.getStatus[3] = 7;
    scriptedScanner(working);
    EXPECT_EQ(state(), "connected");
    EXPECT_EQ(scannerCalls(), (std::vector<std::string>{"2", "1", "3:2001=0", "3:4=1", "3:9=0"}));
    EXPECT_EQ(handleScanSingle(scanner, console.console).body, parametersFailed);  // lost
    EXPECT_EQ(state(), "connected");  // reconnected: opening is all it takes
    EXPECT_EQ(state(), "unavailable: reading parameter 3 failed with status 7");  // the status check's own reading
    EXPECT_EQ(console.err, (std::vector<std::string>{
        "Failed to connect to Futronic device automatically.", "Scanner library: FTRAPI.dll not found",
        "Scanner library: opening the scanner failed with status 5",
        "Scanner library: reading parameter 3 failed with status 7",
        "Scanner library: reading parameter 3 failed with status 7"}));
    EXPECT_EQ(console.out, (std::vector<std::string>{"Futronic device connected automatically.",
        "--- Handling /api/scan/single ---", "Futronic device connected automatically."}));
}

// A request that cannot get the scanner is answered busy, without waiting for
// the one that holds it; a status request reports the state kept.
TEST(ScanSingle, AnswersBusyWhileAnotherRequestHoldsTheScanner) {
    ScannerScript script = threeByTwo();
    script.captureBlocks = true;
    ConsoleLines console;
    Scanner scanner(scriptedScanner(script));
    scanner.busyWait = std::chrono::milliseconds(0);
    std::thread first([&] { EXPECT_TRUE(handleScanSingle(scanner, console.console).body.starts_with("{\"success\": true")); });
    awaitBlockedCapture();
    EXPECT_EQ(handleScanSingle(scanner, console.console).body,
              "{\"success\": false, \"message\": \"The scanner is busy with another request.\"}");
    EXPECT_EQ(handleVerifyWithTemplate(scanner, console.console, "template1=QUJD").body,
              "{\"success\": false, \"verified\": false, \"message\": \"The scanner is busy with another request.\"}");
    EXPECT_TRUE(scanner.check(console.console).connected);
    releaseCapture();
    first.join();
    EXPECT_EQ(console.err, (std::vector<std::string>{"Scanner busy: /api/scan/single was not served",
                                                     "Scanner busy: /verify_with_template was not served"}));
}

TEST(LoadFailure, NamesTheCauseAnOperatorCanFix) {
    // A DOS header pointing at 0x40, "PE\0\0", the 20-byte file header, then the optional header's magic.
    auto pe = [](std::string magic) {
        return "MZ" + std::string(58, '\0') + std::string("\x40\0\0\0PE\0\0", 8) + std::string(20, '\0') + magic;
    };
    EXPECT_EQ(peImageBits(pe("\x0b\x01")), 32);
    EXPECT_EQ(peImageBits(pe("\x0b\x02")), 64);
    EXPECT_EQ(peImageBits(pe("\x0b")), 0);  // cut inside the magic
    EXPECT_EQ(peImageBits("MZ" + std::string(58, '\0') + "\xff\xff\xff\xff"), 0);  // header offset past the end
    const std::tuple<std::uint32_t, std::string, int, std::string> cases[] = {
        {126, "", 0, "FTRAPI.dll not found"},
        {126, "C:\\bin\\FTRAPI.dll", 64, "FTRAPI.dll or a library it needs could not be found (error 126)"},
        {193, "C:\\bin\\FTRAPI.dll", 32, "FTRAPI.dll is a 32-bit library; this build needs a 64-bit one"},
        {193, "C:\\bin\\FTRAPI.dll", 64, "FTRAPI.dll could not be loaded (error 193)"},
        {3221225794u, "", 0, "FTRAPI.dll could not be loaded (error 3221225794)"},
    };
    for (const auto& [error, found, bits, reason] : cases) EXPECT_EQ(describeLoadFailure(error, found, bits, 64), reason);
}

}  // namespace
