#pragma once

#include <cstdint>
#include <string>

#include "scanner/scanner_library.h"

// The connect sequence: closes any earlier session, opens the library and sets
// its start-up parameters. "" when the device is ready, else the step that
// failed, as "opening the scanner failed with status -1".
std::string connectScanner(const ScannerLibrary& library);

// "<step> failed with status S", the status in signed decimal: the library's
// failures are small negative numbers.
std::string failedWithStatus(const std::string& step, ScannerStatus status);
