#include "scanner/vendor_library.h"

#include "platform/dynamic_library.h"
#include "scanner/unavailable_library.h"

namespace {

// Fills one member from its ordinal, or keeps the unavailable stub.
template <typename Function>
void bindOrdinal(LibraryHandle library, unsigned ordinal, Function& member,
                 std::vector<unsigned>& missing) {
    LibraryFunction found = findOrdinal(library, ordinal);
    if (found == nullptr) {
        missing.push_back(ordinal);
        return;
    }
    member = reinterpret_cast<Function>(found);
}

}  // namespace

VendorLibrary loadVendorLibrary(const std::string& fileName) {
    VendorLibrary vendor;
    vendor.functions = unavailableScannerLibrary();
    LibraryHandle library = loadLibrary(fileName);
    vendor.loaded = library != nullptr;
    ScannerLibrary& table = vendor.functions;
    bindOrdinal(library, 1, table.open, vendor.missingOrdinals);
    bindOrdinal(library, 2, table.closeSession, vendor.missingOrdinals);
    bindOrdinal(library, 3, table.setParameter, vendor.missingOrdinals);
    bindOrdinal(library, 4, table.getParameter, vendor.missingOrdinals);
    bindOrdinal(library, 6, table.capture, vendor.missingOrdinals);
    bindOrdinal(library, 7, table.verify, vendor.missingOrdinals);
    return vendor;
}
