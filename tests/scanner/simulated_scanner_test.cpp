#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "encoding/base64.h"
#include "scanner/connect_scanner.h"
#include "scanner/scan_endpoint.h"
#include "scanner/simulated_scanner.h"
#include "scanner/simulator/finger_selection.h"
#include "scanner/simulator/iso_minutiae_record.h"
#include "scanner/verify_endpoint.h"
#include "support/console_capture.h"

namespace {

std::string templateOf(const std::string& body) {
    const std::string key = "\"templateBase64\": \"";
    std::size_t at = body.find(key);
    EXPECT_NE(at, std::string::npos) << body;
    at += key.size();
    return body.substr(at, body.size() - at - 2);
}

std::string base64Of(const std::string& bytes) {
    return encodeBase64(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

class SimulatedScanner : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv(fingerVariable);
        unsetenv(controlVariable);
        open();
    }
    void TearDown() override {
        unsetenv(fingerVariable);
        unsetenv(controlVariable);
        if (!control_.empty()) std::filesystem::remove(control_);
    }
    // Opens the device again, which reads the finger variables.
    void open() {
        installScannerLibrary(simulatedScannerLibrary());
        ConsoleCapture quiet;
        ASSERT_TRUE(connectScanner());
        activeScannerLibrary().setParameter(5, callbackParameter(defaultScanCallback));
    }
    void presentFinger(int finger) {
        if (control_.empty()) {
            control_ = std::filesystem::temp_directory_path() /
                       ("fingerbridge-device-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
            setenv(controlVariable, control_.string().c_str(), 1);
            open();
        }
        std::ofstream(control_) << finger << "\n";
    }

    std::filesystem::path control_;
};

TEST_F(SimulatedScanner, ReportsItsFrameAndRefusesWorkWhenClosed) {
    std::uintptr_t value = 0;
    const std::pair<std::uint32_t, std::uintptr_t> fixed[] = {{1, 320}, {2, 480}, {3, 153600}};
    for (auto [id, expected] : fixed) {
        EXPECT_EQ(activeScannerLibrary().getParameter(id, &value), scannerSuccess);
        EXPECT_EQ(value, expected) << id;
    }
    EXPECT_EQ(activeScannerLibrary().getParameter(6, &value), scannerSuccess);
    EXPECT_GE(value, maxRecordSize) << "the template capacity fits the largest record";
    activeScannerLibrary().closeSession();
    EXPECT_NE(activeScannerLibrary().getParameter(3, &value), scannerSuccess);
    EXPECT_EQ(scanSingleBody(), "{\"success\": false, \"message\": \"Failed to get device parameters\"}");
}

TEST_F(SimulatedScanner, KeepsPointerSizedParameters) {
    std::uintptr_t callback = callbackParameter(frameCopyCallback);
    ASSERT_EQ(activeScannerLibrary().setParameter(5, callback), scannerSuccess);
    std::uintptr_t read = 0;
    ASSERT_EQ(activeScannerLibrary().getParameter(5, &read), scannerSuccess);
    EXPECT_EQ(read, callback);
}

struct Delivery {
    int calls = 0;
    std::uint32_t stateBits = 0;
    std::uint32_t frameSize = 0;
    bool dataPresent = false;
};

void SCANNER_API recordDelivery(void* context, std::uint32_t stateBits, std::uint32_t* response, std::uint32_t,
                                ScannerFrame* frame) {
    auto* delivery = static_cast<Delivery*>(context);
    *response = callbackResponse;
    ++delivery->calls;
    delivery->stateBits = stateBits;
    delivery->frameSize = frame->frame.size;
    delivery->dataPresent = frame->frame.data != nullptr;
}

TEST_F(SimulatedScanner, DeliversOneFrameOfTheAnnouncedSizeAndWritesAMinutiaeRecord) {
    ASSERT_EQ(activeScannerLibrary().setParameter(5, callbackParameter(recordDelivery)), scannerSuccess);
    Delivery delivery;
    std::vector<std::uint8_t> buffer(simulatedTemplateCapacity);
    ScannerData templ{static_cast<std::uint32_t>(buffer.size()), buffer.data()};
    ASSERT_EQ(activeScannerLibrary().capture(&delivery, capturePurpose, &templ), scannerSuccess);
    EXPECT_EQ(delivery.calls, 1);
    EXPECT_EQ(delivery.stateBits & frameAvailableBit, frameAvailableBit);
    EXPECT_EQ(delivery.frameSize, simulatedFrameSize);
    EXPECT_TRUE(delivery.dataPresent);
    const std::optional<MinutiaeRecord> record = readMinutiaeRecord(buffer.data(), templ.size);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->imageWidth, simulatedFrameWidth);
    EXPECT_EQ(record->imageHeight, simulatedFrameHeight);
    EXPECT_GE(record->minutiae.size(), 12u);

    ScannerData tooSmall{20, buffer.data()};
    EXPECT_EQ(activeScannerLibrary().capture(&delivery, capturePurpose, &tooSmall), simulatedTemplateTooSmall);
}

TEST_F(SimulatedScanner, VerifiesTheFingerOnTheSensorAgainstAScannedTemplate) {
    presentFinger(11);
    std::string body = scanSingleBody();
    ASSERT_EQ(body.find("{\"success\": true, \"imageBase64\": \"data:image/bmp;base64,Qk"), 0u) << body.substr(0, 80);
    const std::string templ = templateOf(body);
    EXPECT_TRUE(verifyAgainstTemplates("template1=" + templ));
    presentFinger(12);
    EXPECT_FALSE(verifyAgainstTemplates("template1=" + templ)) << "another finger on the sensor";
    presentFinger(11);
    EXPECT_TRUE(verifyAgainstTemplates("template1=QUJD&template2=" + templ)) << "the finger is back";
}

TEST_F(SimulatedScanner, InvalidTemplatesDoNotMatchAndDoNotFail) {
    MinutiaeRecord valid;
    valid.imageWidth = 320;
    valid.imageHeight = 480;
    valid.pixelsPerCentimetreX = valid.pixelsPerCentimetreY = 197;
    valid.minutiae = {{100, 100, 1.0, MinutiaKind::ending, 50}, {150, 200, 2.0, MinutiaKind::bifurcation, 50}};
    const std::vector<std::uint8_t> good = writeMinutiaeRecord(valid);
    std::vector<std::uint8_t> noMinutiae = good;
    noMinutiae[27] = 0;
    noMinutiae.resize(noMinutiae.size() - 12);
    noMinutiae[11] = static_cast<std::uint8_t>(noMinutiae.size());
    const std::vector<std::uint8_t> truncated(good.begin(), good.begin() + 20);
    std::vector<std::uint8_t> wrongMagic = good;
    wrongMagic[1] = 'X';
    const std::vector<std::uint8_t> garbage(300, 0xa5);
    const std::pair<const char*, const std::vector<std::uint8_t>*> cases[] = {
        {"no minutiae", &noMinutiae}, {"truncated", &truncated}, {"wrong magic", &wrongMagic}, {"garbage", &garbage}};
    for (const auto& [name, bytes] : cases) {
        std::vector<std::uint8_t> copy = *bytes;
        ScannerData templ{static_cast<std::uint32_t>(copy.size()), copy.data()};
        std::uint32_t matched = 7, detail = 0;
        EXPECT_EQ(activeScannerLibrary().verify(nullptr, &templ, &matched, &detail), scannerSuccess) << name;
        EXPECT_EQ(matched, 0u) << name;
    }
    ScannerData empty{0, nullptr};
    std::uint32_t matched = 7;
    EXPECT_EQ(activeScannerLibrary().verify(nullptr, &empty, &matched, nullptr), scannerSuccess);
    EXPECT_EQ(matched, 0u);
    EXPECT_FALSE(verifyAgainstTemplates("template1=" + base64Of(std::string("FMR\0 20\0", 8))));
}

TEST_F(SimulatedScanner, ServesCapturesFromSeveralThreadsAtOnce) {
    constexpr int threads = 2;
    std::vector<std::vector<std::uint8_t>> buffers(threads, std::vector<std::uint8_t>(simulatedTemplateCapacity));
    std::vector<ScannerStatus> statuses(threads, 99);
    std::vector<std::uint32_t> sizes(threads, 0);
    std::vector<std::thread> running;
    for (int t = 0; t < threads; ++t) {
        running.emplace_back([&, t] {
            ScannerData templ{simulatedTemplateCapacity, buffers[t].data()};
            statuses[t] = activeScannerLibrary().capture(nullptr, capturePurpose, &templ);
            sizes[t] = templ.size;
        });
    }
    for (std::thread& t : running) t.join();
    for (int t = 0; t < threads; ++t) {
        EXPECT_EQ(statuses[t], scannerSuccess);
        EXPECT_TRUE(readMinutiaeRecord(buffers[t].data(), sizes[t]).has_value());
    }
    EXPECT_NE(buffers[0], buffers[1]) << "every capture is a fresh impression";
}

}  // namespace
