#include <gtest/gtest.h>

#include <cstdio>
#include <future>
#include <sys/resource.h>
#include <unistd.h>

#include "encoding/base64.h"
#include "scanner/scan_endpoint.h"
#include "support/console_capture.h"
#include "support/loopback.h"
#include "support/scripted_scanner.h"

namespace {

const std::string parametersFailed = "{\"success\": false, \"message\": \"Failed to get device parameters\"}";
const std::string allocationFailed = "{\"success\": false, \"message\": \"Failed to allocate memory\"}";
const std::string scanFailed = "{\"success\": false, \"message\": \"Single scan failed or image not captured\"}";

ScannerScript threeByTwo() {
    ScannerScript script;
    script.parameters = {{1, 3}, {2, 2}, {3, 6}, {6, 16}};
    script.frames = {"\x01\x02\x03\x04\x05\x06"};
    script.templateWritten = "TPL";
    return script;
}

void expectParametersRestored(bool callbackWasSet) {
    EXPECT_EQ(currentParameter(10), 7u);
    EXPECT_EQ(currentParameter(5), callbackWasSet ? callbackParameter(defaultScanCallback) : 0u);
}

struct Decoded {
    std::string bmp, templ;
};

Decoded decodeSuccess(const std::string& body) {
    const std::string head = "{\"success\": true, \"imageBase64\": \"data:image/bmp;base64,";
    const std::string middle = "\", \"templateBase64\": \"";
    EXPECT_EQ(body.substr(0, head.size()), head);
    std::size_t split = body.find(middle);
    EXPECT_NE(split, std::string::npos);
    EXPECT_EQ(body.substr(body.size() - 2), "\"}");
    std::string bmpText = body.substr(head.size(), split - head.size());
    EXPECT_EQ(bmpText.substr(0, 2), "Qk");
    return {decodeBase64(bmpText),
            decodeBase64(body.substr(split + middle.size(), body.size() - split - middle.size() - 2))};
}

TEST(ScanSingle, ReturnsTheCapturedFrameAsBmpAndTheWrittenTemplate) {
    installScriptedScanner(threeByTwo());
    Decoded reply = decodeSuccess(scanSingleBody());
    EXPECT_EQ(reply.bmp.size(), 1086u);
    EXPECT_EQ(reply.bmp.substr(1078), std::string("\x04\x05\x06\x00\x01\x02\x03\x00", 8));
    EXPECT_EQ(reply.templ, "TPL");  // the written length, not the capacity of 16
    expectParametersRestored(true);
}

TEST(ScanSingle, SetsParametersInOrder) {
    installScriptedScanner(threeByTwo());
    scanSingleBody();
    std::vector<std::string> calls;
    for (const ScannerCall& call : scannerCalls()) {
        std::string text = std::to_string(call.ordinal);
        if (call.ordinal == 3 || call.ordinal == 4) text += ":" + std::to_string(call.id);
        if (call.ordinal == 3 && call.id == 10) text += "=" + std::to_string(call.value);
        calls.push_back(text);
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"3:10=1", "4:3", "4:6", "3:5", "6", "4:1", "4:2", "3:5", "3:10=7"}));
}

TEST(ScanSingle, AnswersEveryFailureAndRestoresParameters) {
    struct Case {
        const char* name;
        void (*change)(ScannerScript&);
        std::string body;
        bool callbackWasSet;
    };
    const Case cases[] = {
        {"frame size unreadable", [](ScannerScript& s) { s.getStatus[3] = 9; }, parametersFailed, false},
        {"capacity unreadable", [](ScannerScript& s) { s.getStatus[6] = 9; }, parametersFailed, false},
        {"capture fails", [](ScannerScript& s) { s.captureStatus = 5; }, scanFailed, true},
        {"no frame delivered", [](ScannerScript& s) { s.frames.clear(); }, scanFailed, true},
        {"frame of the wrong size", [](ScannerScript& s) { s.frames = {"\x01\x02\x03\x04\x05"}; },
         scanFailed, true},
        {"frame without its state bit", [](ScannerScript& s) { s.frameStateBits = 2; }, scanFailed, true},
        {"width unreadable", [](ScannerScript& s) { s.getStatus[1] = 9; }, scanFailed, true},
        {"width and height disagree with size", [](ScannerScript& s) { s.parameters[1] = 2; }, scanFailed,
         true},
    };
    for (const Case& c : cases) {
        ScannerScript script = threeByTwo();
        c.change(script);
        installScriptedScanner(script);
        EXPECT_EQ(scanSingleBody(), c.body) << c.name;
        expectParametersRestored(c.callbackWasSet);
    }
}

TEST(ScanSingle, AnswersAnImageBufferThatCannotBeHad) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' allocators treat a failed allocation as fatal";
#else
    // Cap the address space a little above what the process uses, so a 4 GiB frame cannot be had.
    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &original), 0);
    long pages = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    ASSERT_NE(statm, nullptr);
    ASSERT_EQ(std::fscanf(statm, "%ld", &pages), 1);
    std::fclose(statm);
    rlimit capped = original;
    capped.rlim_cur = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + (512u << 20);
    ScannerScript script = threeByTwo();
    script.parameters[3] = 0xFFFFFFFF;
    installScriptedScanner(script);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &capped), 0);
    std::string body = scanSingleBody();
    setrlimit(RLIMIT_AS, &original);
    EXPECT_EQ(body, allocationFailed);
    expectParametersRestored(false);
#endif
}

TEST(ScanSingle, KeepsTheFirstMatchingFrameOnly) {
    ScannerScript script = threeByTwo();
    script.frames = {"short", "\x01\x01\x01\x01\x01\x01", "\x02\x02\x02\x02\x02\x02"};
    installScriptedScanner(script);
    Decoded reply = decodeSuccess(scanSingleBody());
    EXPECT_EQ(reply.bmp.substr(1078), std::string("\x01\x01\x01\x00\x01\x01\x01\x00", 8));
}

TEST(ScanSingle, NeverReadsATemplateBeyondItsCapacity) {
    ScannerScript script = threeByTwo();
    script.parameters[6] = 4;
    script.templateWritten = "0123456789";  // the library claims more than it was given
    installScriptedScanner(script);
    EXPECT_EQ(decodeSuccess(scanSingleBody()).templ, "0123");
}

TEST(ScanSingle, ConcurrentScansNeverInterleave) {
    ScannerScript script = threeByTwo();
    script.frames.assign(5, "\x01\x02\x03\x04\x05\x06");
    installScriptedScanner(script);
    ConsoleCapture console;
    TestServer server;
    const std::string token = "X-CSRF-Token: " + fetchToken(server.port()) + "\r\n";
    std::vector<std::future<std::string>> replies;
    for (int i = 0; i < 6; ++i) {
        replies.push_back(std::async(std::launch::async, [&] {
            return parseReply(sendRequest(server.port(), "GET /api/scan/single HTTP/1.1\r\n" + token + "\r\n")).body;
        }));
    }
    for (auto& reply : replies) EXPECT_EQ(decodeSuccess(reply.get()).templ, "TPL");
    // Each scan's calls form one unbroken run: 10=1 ... 10=7.
    int openScans = 0;
    for (const ScannerCall& call : scannerCalls()) {
        if (call.ordinal == 3 && call.id == 10) {
            openScans += call.value == 1 ? 1 : -1;
            EXPECT_GE(openScans, 0);
            EXPECT_LE(openScans, 1);
        }
    }
    expectParametersRestored(true);
    int handled = 0;
    for (const std::string& line : console.out()) handled += line == "--- Handling /api/scan/single ---";
    EXPECT_EQ(handled, 6);
}

}  // namespace
