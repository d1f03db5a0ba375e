#include "scanner/unavailable_library.h"

namespace {

ScannerStatus SCANNER_API unavailableNoArguments() { return scannerUnavailable; }

ScannerStatus SCANNER_API unavailableSet(std::uint32_t, std::uintptr_t) {
    return scannerUnavailable;
}

ScannerStatus SCANNER_API unavailableGet(std::uint32_t, std::uintptr_t*) {
    return scannerUnavailable;
}

ScannerStatus SCANNER_API unavailableCapture(void*, std::uint32_t, ScannerData*) {
    return scannerUnavailable;
}

ScannerStatus SCANNER_API unavailableVerify(void*, ScannerData*, std::uint32_t*, std::uint32_t*) {
    return scannerUnavailable;
}

}  // namespace

ScannerLibrary unavailableScannerLibrary() {
    return ScannerLibrary{unavailableNoArguments, unavailableNoArguments, unavailableSet,
                          unavailableGet,         unavailableCapture,     unavailableVerify};
}
