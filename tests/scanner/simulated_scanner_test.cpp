// The simulated device keeps the scanner library's contract; its control file puts another finger on the sensor.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "scanner/connect_scanner.h"
#include "scanner/finger_selection.h"
#include "scanner/scan_endpoint.h"
#include "scanner/simulated_scanner.h"
#include "scanner/verify_endpoint.h"
#include "support/console_lines.h"

namespace {

TEST(SimulatedScanner, VerifiesOnlyTheFingerTheControlFileNamesAtEachTouch) {
    const std::filesystem::path control =
        std::filesystem::temp_directory_path() / ("fingerbridge-sim-" + std::to_string(getpid()));
    setenv(controlVariable, control.c_str(), 1);
    ConsoleLines console;
    Scanner scanner(simulatedScannerLibrary());
    ASSERT_EQ(connectScanner(simulatedScannerLibrary()), "");  // opening reads the environment
    // Seeded, so the matches and mismatches expected never depend on chance.
    auto present = [&control](const std::string& text, int seed = 5) { std::ofstream(control) << text << "\nseed " << seed; };
    auto verifies = [&](const std::string& body) {
        return handleVerifyWithTemplate(scanner, console.console, body).body == "{\"success\": true, \"verified\": true}";
    };
    present("11");
    const std::string body = handleScanSingle(scanner, console.console).body;
    ASSERT_TRUE(body.starts_with("{\"success\": true, \"imageBase64\": \"data:image/bmp;base64,Qk")) << body.substr(0, 80);
    const std::size_t at = body.find("\"templateBase64\": \"") + 19;
    const std::string field = "template1=QUJD&template2=" + body.substr(at, body.find('"', at) - at);
    EXPECT_TRUE(verifies(field));
    // Not a finger number: the start-up finger (1) is on the sensor.
    for (const char* other : {"12", " \t12 \r", "0", "11x", "2147483648", ""}) {
        present(other);
        EXPECT_FALSE(verifies(field)) << '"' << other << '"';
    }
    present(" 11\r", 6);
    EXPECT_TRUE(verifies(field)) << "the finger is back";
    auto scan = [&] { return handleScanSingle(scanner, console.console).body; };
    for (const auto& [text, reply] : {std::pair{"11\n none \r", "Single scan failed or image not captured"},
                                      {"seed 1\nunplugged", "Failed to get device parameters"}}) {
        present(text);
        EXPECT_EQ(scan(), std::string("{\"success\": false, \"message\": \"") + reply + "\"}") << text;
    }
    // A seed gives fresh impressions, and the same ones again after every change of the text.
    present("11\nslow\t1");
    const std::string first = scan(), second = scan();
    EXPECT_NE(first, second);
    present("11\r\nbogus 3");
    EXPECT_EQ(scan(), first);
    EXPECT_EQ(scan(), second);
    unsetenv(controlVariable);
    std::filesystem::remove(control);
}

TEST(SimulatedScanner, ReadsTheControlFileLineByLine) {
    using Fields = std::tuple<int, bool, bool, bool, int, std::optional<std::uint64_t>>;  // finger, none, unplugged, poor, slow, seed
    const std::pair<const char*, Fields> cases[] = {
        {"", {5, false, false, false, 0, {}}},
        {"7\r\n\tnone \r\npoor\nslow \t 60000\nseed 18446744073\n", {7, true, false, true, 60000, 18446744073u}},
        {"unplugged\n8", {5, false, true, false, 0, {}}},  // a number only on the first line
        {"x\nslow 0\nslow 60001\nseed\nseed -1\nnone 1\nNONE\nslow 5x", {5, false, false, false, 0, {}}},
    };
    for (const auto& [text, expected] : cases) {
        const SensorControl got = parseSensorControl(text, 5);
        EXPECT_EQ(Fields(got.finger, got.noFinger, got.unplugged, got.poor, got.slowMilliseconds, got.seed), expected) << text;
    }
}

}  // namespace
