#include "scanner/load_failure.h"

#include "platform/dynamic_library.h"
#include "scanner/vendor_library.h"

namespace {

std::uint32_t littleEndian(std::string_view bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

}  // namespace

int peImageBits(std::string_view fileStart) {
    constexpr std::size_t headerOffsetAt = 0x3C;
    if (!fileStart.starts_with("MZ") || fileStart.size() < headerOffsetAt + 4) return 0;
    const std::size_t header = littleEndian(fileStart, headerOffsetAt, 4);
    // "PE\0\0", the 20-byte file header, then the optional header's magic.
    const std::size_t magicAt = header + 24;
    if (header >= fileStart.size() || fileStart.size() - header < 26 ||
        fileStart.substr(header, 4) != std::string_view("PE\0\0", 4)) {
        return 0;
    }
    switch (littleEndian(fileStart, magicAt, 2)) {
        case 0x10B: return 32;
        case 0x20B: return 64;
        default: return 0;
    }
}

std::string describeLoadFailure(std::uint32_t error, const std::string& foundFile, int fileBits, int buildBits) {
    const std::string name = vendorLibraryName;
    if (error == libraryNotFoundError) {
        if (foundFile.empty()) return name + " not found";
        return name + " or a library it needs could not be found (error 126)";
    }
    if (error == libraryBadFormatError && fileBits != 0 && fileBits != buildBits) {
        return name + " is a " + std::to_string(fileBits) + "-bit library; this build needs a " +
               std::to_string(buildBits) + "-bit one";
    }
    return name + " could not be loaded (error " + std::to_string(error) + ")";
}
