#include "scanner/bmp.h"

namespace {

void putLittleEndian(std::uint8_t* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::optional<std::uint32_t> greyBmpFileSize(std::size_t frameSize, std::uint32_t width,
                                             std::uint32_t height) {
    if (width == 0 || height == 0) return std::nullopt;
    if (std::uint64_t{width} * height != frameSize) return std::nullopt;
    const std::uint64_t stride = (std::uint64_t{width} + 3) / 4 * 4;
    const std::uint64_t fileSize = bmpHeaderAndPaletteSize + stride * height;
    if (fileSize > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::uint32_t>(fileSize);
}

std::array<std::uint8_t, bmpHeaderAndPaletteSize> greyBmpHeader(std::uint32_t fileSize,
                                                                std::uint32_t width,
                                                                std::uint32_t height) {
    std::array<std::uint8_t, bmpHeaderAndPaletteSize> header{};
    std::uint8_t* out = header.data();
    out[0] = 'B';
    out[1] = 'M';
    putLittleEndian(out + 2, fileSize, 4);
    putLittleEndian(out + 10, bmpHeaderAndPaletteSize, 4);
    putLittleEndian(out + 14, 40, 4);  // info header size
    putLittleEndian(out + 18, width, 4);
    putLittleEndian(out + 22, height, 4);  // positive: rows stored bottom-up
    putLittleEndian(out + 26, 1, 2);       // planes
    putLittleEndian(out + 28, 8, 2);       // bits per pixel
    // Compression, image size, resolutions and colour counts stay 0.
    for (int i = 0; i < 256; ++i) {
        std::uint8_t* entry = out + 54 + 4 * i;
        entry[0] = entry[1] = entry[2] = static_cast<std::uint8_t>(i);
    }
    return header;
}
