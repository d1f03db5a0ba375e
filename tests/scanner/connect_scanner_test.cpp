#include <gtest/gtest.h>

#include "scanner/connect_scanner.h"
#include "scanner/simulated_scanner.h"
#include "scanner/unavailable_library.h"
#include "scanner/vendor_library.h"
#include "support/console_capture.h"
#include "support/scripted_scanner.h"

namespace {

const std::string connected = "Futronic device connected automatically.";
const std::string failed = "Failed to connect to Futronic device automatically.";

TEST(ConnectScanner, OpensAndSetsStartupParametersInOrder) {
    installScriptedScanner();
    ConsoleCapture console;
    EXPECT_TRUE(connectScanner());
    EXPECT_EQ(console.out(), std::vector<std::string>{connected});
    std::vector<std::pair<unsigned, std::uint32_t>> calls;
    for (const ScannerCall& call : scannerCalls()) calls.emplace_back(call.ordinal, call.id);
    EXPECT_EQ(calls, (std::vector<std::pair<unsigned, std::uint32_t>>{{2, 0}, {1, 0}, {3, 2001}, {3, 4}, {3, 9}}));
}

TEST(ConnectScanner, ReportsEachFailureThatStopsIt) {
    struct Case {
        const char* name;
        void (*change)(ScannerScript&);
        bool connects;
        std::size_t calls;
    };
    const Case cases[] = {
        {"open fails", [](ScannerScript& s) { s.openStatus = 1; }, false, 2},
        {"2001 fails, ignored", [](ScannerScript& s) { s.setStatus[2001] = 1; }, true, 5},
        {"4 fails", [](ScannerScript& s) { s.setStatus[4] = 1; }, false, 4},
        {"9 fails", [](ScannerScript& s) { s.setStatus[9] = 1; }, false, 5},
    };
    for (const Case& c : cases) {
        ScannerScript script;
        c.change(script);
        installScriptedScanner(script);
        ConsoleCapture console;
        EXPECT_EQ(connectScanner(), c.connects) << c.name;
        EXPECT_EQ(scannerCalls().size(), c.calls) << c.name;
        EXPECT_EQ(console.err(), c.connects ? std::vector<std::string>{} : std::vector<std::string>{failed});
    }
}

TEST(ConnectScanner, MissingVendorLibraryFailsWithoutNullCalls) {
    VendorLibrary vendor = loadVendorLibrary("no-such-library.dll");
    EXPECT_FALSE(vendor.loaded);
    EXPECT_EQ(vendor.missingOrdinals, (std::vector<unsigned>{1, 2, 3, 4, 6, 7}));
    installScannerLibrary(vendor.functions);
    ConsoleCapture console;
    EXPECT_FALSE(connectScanner());
    EXPECT_EQ(console.err(), std::vector<std::string>{failed});
    std::uintptr_t value = 0;
    EXPECT_EQ(activeScannerLibrary().getParameter(3, &value), scannerUnavailable);
}

}  // namespace
