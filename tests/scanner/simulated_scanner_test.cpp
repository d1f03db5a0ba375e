#include <gtest/gtest.h>

#include "encoding/base64.h"
#include "scanner/connect_scanner.h"
#include "scanner/scan_endpoint.h"
#include "scanner/simulated_scanner.h"
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

class SimulatedScanner : public ::testing::Test {
protected:
    void SetUp() override {
        installScannerLibrary(simulatedScannerLibrary());
        ConsoleCapture quiet;
        ASSERT_TRUE(connectScanner());
    }
};

TEST_F(SimulatedScanner, ReportsItsFrameAndRefusesWorkWhenClosed) {
    std::uintptr_t value = 0;
    const std::pair<std::uint32_t, std::uintptr_t> fixed[] = {{1, 320}, {2, 480}, {3, 153600}};
    for (auto [id, expected] : fixed) {
        EXPECT_EQ(activeScannerLibrary().getParameter(id, &value), scannerSuccess);
        EXPECT_EQ(value, expected) << id;
    }
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

TEST_F(SimulatedScanner, VerifiesItsOwnTemplateAndNotOtherBytes) {
    std::string body = scanSingleBody();
    ASSERT_EQ(body.find("{\"success\": true"), 0u) << body;
    std::string templ = templateOf(body);
    EXPECT_TRUE(verifyAgainstTemplates("template1=" + templ));
    std::string altered = decodeBase64(templ);
    for (std::size_t i = 4; i < altered.size(); ++i) altered[i] = static_cast<char>(255 - altered[i]);
    std::string alteredText = encodeBase64(reinterpret_cast<const std::uint8_t*>(altered.data()), altered.size());
    EXPECT_FALSE(verifyAgainstTemplates("template1=" + alteredText));
    EXPECT_FALSE(verifyAgainstTemplates("template1=QUJD"));
}

}  // namespace
