#pragma once

#include <string>

#include "scanner/scanner_library.h"

inline constexpr const char* vendorLibraryName = "FTRAPI.dll";

// The vendor library loaded by ordinal. Every function that cannot be found
// (or all of them, when the library cannot be loaded) is taken from
// unavailableScannerLibrary, and problem says why the scanner cannot be used:
// the load failure, else the lowest ordinal missing; "" when all are there.
struct VendorLibrary {
    ScannerLibrary functions;
    std::string problem;
};

VendorLibrary loadVendorLibrary(const std::string& fileName = vendorLibraryName);
