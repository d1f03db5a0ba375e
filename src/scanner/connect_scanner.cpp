#include "scanner/connect_scanner.h"

#include <cstdint>

namespace {

constexpr const char* connectedLine = "Futronic device connected automatically.";
constexpr const char* failedLine = "Failed to connect to Futronic device automatically.";

// Statuses are shown signed: the library's failures are small negative numbers.
std::string failedWith(const std::string& step, ScannerStatus status) {
    return step + " failed with status " + std::to_string(static_cast<std::int32_t>(status));
}

// "" when the device is ready, else the step that failed.
std::string openAndConfigure(const ScannerLibrary& library) {
    library.closeSession();  // clears any earlier session; its result does not matter
    if (ScannerStatus status = library.open(); status != scannerSuccess) return failedWith("opening the scanner", status);
    library.setParameter(scannerParameter::startupTwoThousandOne, 0);
    if (ScannerStatus status = library.setParameter(scannerParameter::startupFour, 1); status != scannerSuccess) {
        return failedWith("setting parameter 4", status);
    }
    if (ScannerStatus status = library.setParameter(scannerParameter::startupNine, 0); status != scannerSuccess) {
        return failedWith("setting parameter 9", status);
    }
    return {};
}

}  // namespace

ScannerStartup connectScanner(const ScannerLibrary& library, Console& console, const std::string& problem) {
    ScannerStartup startup{false, problem.empty() ? openAndConfigure(library) : problem};
    startup.connected = startup.detail.empty();
    if (startup.connected) {
        console.out(connectedLine);
    } else {
        console.err(failedLine);
        console.err("Scanner library: " + startup.detail);
    }
    return startup;
}
