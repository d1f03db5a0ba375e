#pragma once

#include <string>
#include <string_view>

#include "scanner/scanner_library.h"

// The library this build drives: the vendor DLL on Windows, the simulated device
// elsewhere (and on Windows when built with FINGERBRIDGE_SIMULATED_SCANNER).
// problem says why it cannot be used at all ("" when nothing does).
struct LibraryChoice {
    ScannerLibrary functions;
    std::string_view kind;  // "vendor" or "simulated"
    std::string problem;
};

LibraryChoice defaultScannerLibrary();
