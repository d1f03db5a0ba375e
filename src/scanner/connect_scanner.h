#pragma once

#include <string>

#include "platform/console.h"
#include "scanner/scanner_library.h"

// Opens the library once and sets its start-up parameters, printing the
// outcome and, on failure, its reason. A library with a problem (it could not
// be loaded, or lacks a function) is not called at all. Start-up carries on
// either way.
ScannerStartup connectScanner(const ScannerLibrary& library, Console& console, const std::string& problem = {});
