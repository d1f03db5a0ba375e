#include "scanner/default_library.h"
#include "scanner/vendor_library.h"

LibraryChoice defaultScannerLibrary() {
    VendorLibrary vendor = loadVendorLibrary();
    return {vendor.functions, "vendor", std::move(vendor.problem)};
}
