#pragma once

#include <string>
#include <vector>

#include "scanner/scanner_library.h"

inline constexpr const char* vendorLibraryName = "FTRAPI.dll";

// The vendor library loaded by ordinal. Every function that cannot be found
// (or all of them, when the library cannot be loaded) is taken from
// unavailableScannerLibrary, and its ordinal is listed in missingOrdinals.
struct VendorLibrary {
    ScannerLibrary functions;
    bool loaded = false;
    std::vector<unsigned> missingOrdinals;
};

VendorLibrary loadVendorLibrary(const std::string& fileName = vendorLibraryName);
