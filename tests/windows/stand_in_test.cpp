// fingerbridge.exe under wine with the stand-in FTRAPI.dll beside it: the
// library found by ordinal, every argument and structure that crosses into it,
// and both callbacks it calls, on the real Windows loading path.
#include <gtest/gtest.h>

#include <map>

#include "encoding/base64.h"
#include "support/loopback.h"
#include "windows/stand_in_script.h"
#include "windows/wine_launch.h"

namespace {

constexpr int port = 8080;
const std::string connected = "Futronic device connected automatically.";
const std::string failedToConnect = "Failed to connect to Futronic device automatically.";
const std::string parametersFailed = "{\"success\": false, \"message\": \"Failed to get device parameters\"}";
const std::string scanFailed = "{\"success\": false, \"message\": \"Single scan failed or image not captured\"}";
const std::string verified = "{\"success\": true, \"verified\": true}";
const std::string notVerified =
    "{\"success\": true, \"verified\": false, \"message\": \"Verification failed: No matching fingerprint found.\"}";
const std::vector<std::string> connectCalls{"2", "1", "3 2001 0", "3 4 1", "3 9 0"};

std::string runName(std::size_t caseIndex = 0) {
    return std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
           std::to_string(caseIndex);
}

// A server with the stand-in, scripted, past its start-up lines.
class ScriptedServer {
public:
    ScriptedServer(const StandInRun& run, WindowsStage stage = WindowsStage::withStandIn)
        : process(wineLaunch(stage, run.scriptPath()), {}) {
        process.waitUntilListening();
    }
    std::string token() { return "X-CSRF-Token: " + fetchToken(port) + "\r\n"; }
    std::string scan() {
        return parseReply(sendRequest(port, "GET /api/scan/single HTTP/1.1\r\n" + token() + "\r\n")).body;
    }
    std::string verify(const std::string& form) {
        return parseReply(sendRequest(port, "POST /verify_with_template HTTP/1.1\r\n" + token() + "Content-Length: " +
                                                std::to_string(form.size()) + "\r\n\r\n" + form))
            .body;
    }

    ServerProcess process;
};

// Callback addresses differ from run to run: each distinct address set through
// parameter 5 becomes #1, #2, ... in order of first appearance (null stays 0).
std::vector<std::string> numberCallbacks(std::vector<std::string> log) {
    const std::string prefix = "3 5 ";
    std::map<std::string, int> numbers;
    for (std::string& line : log) {
        if (line.rfind(prefix, 0) != 0 || line == prefix + "0") continue;
        std::string address = line.substr(prefix.size());
        auto found = numbers.try_emplace(address, static_cast<int>(numbers.size()) + 1).first;
        line = prefix + "#" + std::to_string(found->second);
    }
    return log;
}

std::vector<std::string> concat(std::vector<std::string> first, const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

std::string base64(const std::string& bytes) {
    return encodeBase64(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::string pattern(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + seed) & 0xFF);
    return bytes;
}

std::uint32_t littleEndian32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

// The frame's rows bottom-up, each padded with zeros to a multiple of 4 bytes.
std::string bottomUpRows(const std::string& frame, std::uint32_t width, std::uint32_t height) {
    std::string rows;
    for (std::uint32_t row = height; row-- > 0;) {
        rows += frame.substr(row * width, width);
        rows.append((4 - width % 4) % 4, '\0');
    }
    return rows;
}

StandInScript scanScript(std::uint32_t width, std::uint32_t height, std::vector<StandInFrame> frames) {
    StandInScript script;
    script.parameters = {{1, width}, {2, height}, {3, width * height}, {6, 1024}};
    script.frames = std::move(frames);
    script.templateBytes = std::string("\x00\x01\xfeT\xff", 5);
    return script;
}

TEST(WindowsStandIn, ConnectsThroughTheStartupOrdinals) {
    StandInRun run(runName(), {});
    ScriptedServer server(run);
    EXPECT_EQ(server.process.nextOutLine(), connected);
    EXPECT_EQ(run.log(), connectCalls);
}

TEST(WindowsStandIn, ReportsAFailedConnectionAndKeepsServing) {
    struct Case {
        const char* name;
        WindowsStage stage;
        StandInScript script;
        std::vector<std::string> calls;  // what reached the library, start-up and requests
    };
    StandInScript openFails;
    openFails.results[1] = 5;
    const Case cases[] = {
        {"no FTRAPI.dll beside the exe", WindowsStage::withoutLibrary, {}, {}},
        // The server asks on regardless; the library refuses while it is not open.
        {"ordinal 1 fails", WindowsStage::withStandIn, openFails,
         {"2", "1", "3 10 1", "4 3", "3 10 7", "7 0 414243 1 1"}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        StandInRun run(runName(i), c.script);
        ScriptedServer server(run, c.stage);
        EXPECT_EQ(server.process.nextErrLine(), failedToConnect) << c.name;
        EXPECT_EQ(server.scan(), parametersFailed) << c.name;
        EXPECT_EQ(server.verify("template1=QUJD"), notVerified) << c.name;
        std::string demo = sendRequest(port, "GET /api/demoscan/single?finger=1 HTTP/1.1\r\n" + server.token() + "\r\n");
        EXPECT_EQ(parseReply(demo).body.rfind("{\"success\": true, ", 0), 0u) << c.name;
        EXPECT_EQ(parseReply(sendRequest(port, "GET / HTTP/1.1\r\n\r\n")).statusLine, "HTTP/1.1 200 OK") << c.name;
        EXPECT_EQ(run.log(), c.calls) << c.name;
    }
}

TEST(WindowsStandIn, ScanReturnsTheDeliveredFrameAsBmpAndTheWrittenTemplate) {
    struct Geometry {
        std::uint32_t width, height;
    };
    // Padded rows, unpadded rows, and a sensor-sized frame.
    const Geometry geometries[] = {{3, 2}, {8, 4}, {320, 480}};
    for (std::size_t i = 0; i < std::size(geometries); ++i) {
        const auto [width, height] = geometries[i];
        const std::uint32_t size = width * height;
        const std::string frame = pattern(size, 7);
        // Only the third frame may be taken: wrong size, not marked available,
        // the one, and a later one after the capture is complete.
        StandInRun run(runName(i), scanScript(width, height,
                                              {{1, pattern(size - 1, 1)}, {0, pattern(size, 2)}, {1, frame},
                                               {1, pattern(size, 3)}}));
        ScriptedServer server(run);
        const std::string body = server.scan();

        const std::string head = "{\"success\": true, \"imageBase64\": \"data:image/bmp;base64,";
        const std::string middle = "\", \"templateBase64\": \"";
        ASSERT_EQ(body.rfind(head, 0), 0u) << body.substr(0, 200);
        ASSERT_EQ(body.substr(body.size() - 2), "\"}");
        const std::size_t split = body.find(middle);
        ASSERT_NE(split, std::string::npos);
        const std::string bmp = decodeBase64(body.substr(head.size(), split - head.size()));
        const std::string pixels = bottomUpRows(frame, width, height);
        ASSERT_EQ(bmp.size(), 1078 + pixels.size()) << width << "x" << height;
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(littleEndian32(bmp, 2), bmp.size());
        EXPECT_EQ(littleEndian32(bmp, 18), width);
        EXPECT_EQ(littleEndian32(bmp, 22), height);
        EXPECT_TRUE(bmp.substr(1078) == pixels) << width << "x" << height;
        // The length ordinal 6 wrote back, not the capacity of 1024.
        EXPECT_EQ(decodeBase64(body.substr(split + middle.size(), body.size() - split - middle.size() - 2)),
                  std::string("\x00\x01\xfeT\xff", 5));

        const std::string n = std::to_string(size);
        EXPECT_EQ(numberCallbacks(run.log()),
                  concat(connectCalls, {"3 10 1", "4 3", "4 6", "3 5 #1", "6 1 3 1024",
                                        "callback 1 " + std::to_string(size - 1) + " 2", "callback 0 " + n + " 2",
                                        "callback 1 " + n + " 2", "callback 1 " + n + " 2", "4 1", "4 2", "3 5 #2",
                                        "3 10 7"}))
            << width << "x" << height;
    }
}

TEST(WindowsStandIn, ScanAnswersEachLibraryFailure) {
    struct Case {
        const char* name;
        StandInScript script;
        std::string body;
        std::vector<std::string> calls;  // after start-up
    };
    const std::string frame = pattern(6, 9);
    const std::vector<std::string> captureStart{"3 10 1", "4 3", "4 6", "3 5 #1", "6 1 3 1024"};
    const std::vector<std::string> callbackRestored{"3 5 #2", "3 10 7"};
    StandInScript sizesUnreadable = scanScript(3, 2, {{1, frame}});
    sizesUnreadable.results[4] = 9;
    StandInScript captureFails = scanScript(3, 2, {{1, frame}});
    captureFails.results[6] = 9;
    const Case cases[] = {
        {"sizes unreadable", sizesUnreadable, parametersFailed, {"3 10 1", "4 3", "3 10 7"}},
        {"capture fails after a frame", captureFails, scanFailed,
         concat(concat(captureStart, {"callback 1 6 2"}), callbackRestored)},
        {"no frame of the expected size", scanScript(3, 2, {{1, pattern(5, 1)}, {1, pattern(7, 1)}}), scanFailed,
         concat(concat(captureStart, {"callback 1 5 2", "callback 1 7 2"}), callbackRestored)},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        StandInRun run(runName(i), c.script);
        ScriptedServer server(run);
        EXPECT_EQ(server.scan(), c.body) << c.name;
        EXPECT_EQ(numberCallbacks(run.log()), concat(connectCalls, c.calls)) << c.name;
    }
}

// After a scan the resting callback is installed; the stand-in calls it during
// each verification, and it must answer 2 like the capturing one.
TEST(WindowsStandIn, VerifyTriesTemplatesInOrderUntilOneMatches) {
    StandInScript script = scanScript(3, 2, {{1, pattern(6, 4)}});
    // No match; a failure that still writes "matched"; a match; then (0, 0).
    script.matches = {{0, 0}, {9, 1}, {0, 1}};
    StandInRun run(runName(), script);
    ScriptedServer server(run);
    ASSERT_EQ(server.scan().rfind("{\"success\": true", 0), 0u);
    const std::size_t afterScan = run.log().size();

    // "AP/+" is the Base64 of 00 ff fe, sent percent-encoded.
    EXPECT_EQ(server.verify("template1=" + base64("ABC") + "&note=x&template2=&template3=AP%2F%2B&template4=" +
                            base64("DEF") + "&template5=" + base64("GHI")),
              verified);
    EXPECT_EQ(server.verify("template1=" + base64("JKL")), notVerified);

    std::vector<std::string> log = run.log();
    ASSERT_GE(log.size(), afterScan);
    EXPECT_EQ(std::vector<std::string>(log.begin() + static_cast<long>(afterScan), log.end()),
              (std::vector<std::string>{"7 0 414243 1 1", "callback 0 0 2", "7 0 00fffe 1 1", "callback 0 0 2",
                                        "7 0 444546 1 1", "callback 0 0 2", "7 0 4a4b4c 1 1", "callback 0 0 2"}));
}

}  // namespace
