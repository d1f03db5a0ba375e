// The simulated device keeps the scanner library's contract, and the control
// file puts another finger on its sensor.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "scanner/connect_scanner.h"
#include "scanner/scan_endpoint.h"
#include "scanner/simulated_scanner.h"
#include "scanner/simulator/finger_selection.h"
#include "scanner/simulator/iso_minutiae_record.h"
#include "scanner/verify_endpoint.h"
#include "support/console_lines.h"

namespace {

class SimulatedScanner : public ::testing::Test {
protected:
    void SetUp() override {
        control_ = std::filesystem::temp_directory_path() / ("fingerbridge-sim-" + std::to_string(getpid()));
        setenv(controlVariable, control_.c_str(), 1);
        ASSERT_TRUE(connectScanner(scanner_.library, console_));  // opening reads the environment
    }
    void TearDown() override {
        unsetenv(controlVariable);
        std::filesystem::remove(control_);
    }
    void presentFinger(int finger) { std::ofstream(control_) << finger << "\n"; }
    bool verifies(const std::string& body) {
        return handleVerifyWithTemplate(scanner_, console_, body).body == "{\"success\": true, \"verified\": true}";
    }

    std::filesystem::path control_;
    ConsoleLines lines_;
    Console console_{lines_.sink()};
    Scanner scanner_{simulatedScannerLibrary()};
};

TEST_F(SimulatedScanner, ReportsItsFrameAndRefusesWorkWhenClosed) {
    const ScannerLibrary& library = scanner_.library;
    const std::pair<std::uint32_t, std::uintptr_t> fixed[] = {{1, 320}, {2, 480}, {3, 153600}, {6, 2048}};
    for (auto [id, expected] : fixed) {
        std::uintptr_t value = 0;
        EXPECT_EQ(library.getParameter(id, &value), scannerSuccess);
        EXPECT_EQ(value, expected) << id;
    }
    static_assert(simulatedTemplateCapacity >= maxRecordSize);
    // A callback address survives the round trip: parameters are pointer-sized.
    std::uintptr_t read = 0;
    ASSERT_EQ(library.setParameter(5, callbackParameter(frameCopyCallback)), scannerSuccess);
    ASSERT_EQ(library.getParameter(5, &read), scannerSuccess);
    EXPECT_EQ(read, callbackParameter(frameCopyCallback));
    library.closeSession();
    EXPECT_EQ(handleScanSingle(scanner_, console_).body,
              "{\"success\": false, \"message\": \"Failed to get device parameters\"}");
}

TEST_F(SimulatedScanner, CapturesARecordOfTheFingerOnTheSensorAndVerifiesOnlyThatFinger) {
    presentFinger(11);
    const std::string body = handleScanSingle(scanner_, console_).body;
    ASSERT_TRUE(body.starts_with("{\"success\": true, \"imageBase64\": \"data:image/bmp;base64,Qk")) << body.substr(0, 80);
    const std::string key = "\"templateBase64\": \"";
    const std::size_t at = body.find(key) + key.size();
    const std::string templ = body.substr(at, body.size() - at - 2);
    EXPECT_TRUE(verifies("template1=" + templ));
    presentFinger(12);
    EXPECT_FALSE(verifies("template1=" + templ)) << "another finger on the sensor";
    presentFinger(11);
    EXPECT_TRUE(verifies("template1=QUJD&template2=" + templ)) << "the finger is back";
}

TEST_F(SimulatedScanner, TemplatesThatAreNoRecordMatchNothing) {
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""}, {"header only", std::string("FMR\0 20\0", 8)}, {"garbage", std::string(300, '\xa5')}};
    for (auto [name, bytes] : cases) {
        ScannerData templ{static_cast<std::uint32_t>(bytes.size()), bytes.empty() ? nullptr : bytes.data()};
        std::uint32_t matched = 7;
        std::uint32_t detail = 0;
        EXPECT_EQ(scanner_.library.verify(nullptr, &templ, &matched, &detail), scannerSuccess) << name;
        EXPECT_EQ(matched, 0u) << name;
    }
}

}  // namespace
