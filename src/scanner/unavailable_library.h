#pragma once

#include "scanner/scanner_library.h"

// What every call answers when the library or one of its functions is missing.
inline constexpr ScannerStatus scannerUnavailable = 0xFFFFFFFFu;

// A table whose every function fails with scannerUnavailable, so a missing
// library never leads to a call through a null pointer.
ScannerLibrary unavailableScannerLibrary();
