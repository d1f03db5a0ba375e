#include "scanner/connect_scanner.h"

namespace {

constexpr const char* connectedLine = "Futronic device connected automatically.";
constexpr const char* failedLine = "Failed to connect to Futronic device automatically.";

bool openAndConfigure(const ScannerLibrary& library) {
    library.closeSession();  // clears any earlier session; its result does not matter
    if (library.open() != scannerSuccess) return false;
    library.setParameter(scannerParameter::startupTwoThousandOne, 0);
    if (library.setParameter(scannerParameter::startupFour, 1) != scannerSuccess) return false;
    return library.setParameter(scannerParameter::startupNine, 0) == scannerSuccess;
}

}  // namespace

bool connectScanner(const ScannerLibrary& library, Console& console) {
    bool connected = openAndConfigure(library);
    if (connected) {
        console.out(connectedLine);
    } else {
        console.err(failedLine);
    }
    return connected;
}
