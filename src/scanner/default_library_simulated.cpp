#include "scanner/default_library.h"
#include "scanner/simulated_scanner.h"

LibraryChoice defaultScannerLibrary() {
    return {simulatedScannerLibrary(), "simulated",
            simulatedScannerUnplugged() ? "the simulated scanner is unplugged" : ""};
}
