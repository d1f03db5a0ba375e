#pragma once

#include "platform/console.h"
#include "scanner/scanner_library.h"

// Opens the library once and sets its start-up parameters, printing the
// outcome. Returns true when the device is ready; start-up carries on either way.
bool connectScanner(const ScannerLibrary& library, Console& console);
