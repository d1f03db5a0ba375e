#include "scanner/vendor_library.h"

#include <fstream>
#include <iterator>

#include "platform/dynamic_library.h"
#include "scanner/load_failure.h"
#include "scanner/unavailable_library.h"

namespace {

// Fills one member from its ordinal, or keeps the unavailable stub and names
// the first ordinal missing.
template <typename Function>
void bindOrdinal(LibraryHandle library, unsigned ordinal, Function& member, std::string& problem) {
    LibraryFunction found = findOrdinal(library, ordinal);
    if (found != nullptr) {
        member = reinterpret_cast<Function>(found);
    } else if (problem.empty()) {
        problem = std::string(vendorLibraryName) + " lacks ordinal " + std::to_string(ordinal);
    }
}

std::string loadFailure(const std::string& fileName, std::uint32_t error) {
    const std::string found = findLibraryFile(fileName);
    std::string start;
    if (!found.empty()) {
        start.resize(4096);
        std::ifstream file(found, std::ios::binary);
        file.read(start.data(), static_cast<std::streamsize>(start.size()));
        start.resize(static_cast<std::size_t>(file.gcount()));
    }
    return describeLoadFailure(error, found, peImageBits(start), static_cast<int>(sizeof(void*) * 8));
}

}  // namespace

VendorLibrary loadVendorLibrary(const std::string& fileName) {
    VendorLibrary vendor{unavailableScannerLibrary(), {}};
    const LibraryLoad load = loadLibrary(fileName);
    if (load.handle == nullptr) {
        vendor.problem = loadFailure(fileName, load.error);
        return vendor;
    }
    ScannerLibrary& table = vendor.functions;
    bindOrdinal(load.handle, 1, table.open, vendor.problem);
    bindOrdinal(load.handle, 2, table.closeSession, vendor.problem);
    bindOrdinal(load.handle, 3, table.setParameter, vendor.problem);
    bindOrdinal(load.handle, 4, table.getParameter, vendor.problem);
    bindOrdinal(load.handle, 6, table.capture, vendor.problem);
    bindOrdinal(load.handle, 7, table.verify, vendor.problem);
    return vendor;
}
