#include "scanner/connect_scanner.h"

std::string failedWithStatus(const std::string& step, ScannerStatus status) {
    return step + " failed with status " + std::to_string(static_cast<std::int32_t>(status));
}

std::string connectScanner(const ScannerLibrary& library) {
    library.closeSession();  // clears any earlier session; its result does not matter
    if (ScannerStatus status = library.open(); status != scannerSuccess) {
        return failedWithStatus("opening the scanner", status);
    }
    library.setParameter(scannerParameter::startupTwoThousandOne, 0);
    if (ScannerStatus status = library.setParameter(scannerParameter::startupFour, 1); status != scannerSuccess) {
        return failedWithStatus("setting parameter 4", status);
    }
    if (ScannerStatus status = library.setParameter(scannerParameter::startupNine, 0); status != scannerSuccess) {
        return failedWithStatus("setting parameter 9", status);
    }
    return {};
}
