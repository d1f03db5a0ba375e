#include "scanner/default_library.h"
#include "scanner/simulated_scanner.h"

ScannerLibrary defaultScannerLibrary() { return simulatedScannerLibrary(); }
