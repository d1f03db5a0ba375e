#pragma once

#include "scanner/scanner_library.h"

// The library this build drives: the vendor DLL on Windows, the simulated device
// elsewhere (and on Windows when built with FINGERBRIDGE_SIMULATED_SCANNER).
ScannerLibrary defaultScannerLibrary();
