#include "scanner/default_library.h"
#include "scanner/vendor_library.h"

ScannerLibrary defaultScannerLibrary() { return loadVendorLibrary().functions; }
