#include "scanner/bmp.h"

#include <cstring>

namespace {

void putLittleEndian(char* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::optional<std::string> buildGreyBmp(const std::uint8_t* frame, std::size_t frameSize,
                                        std::uint32_t width, std::uint32_t height) {
    if (frame == nullptr || width == 0 || height == 0) return std::nullopt;
    if (std::uint64_t{width} * height != frameSize) return std::nullopt;
    const std::uint64_t stride = (std::uint64_t{width} + 3) / 4 * 4;
    const std::uint64_t fileSize = bmpHeaderAndPaletteSize + stride * height;
    if (fileSize > 0xFFFFFFFFu) return std::nullopt;

    std::string file(static_cast<std::size_t>(fileSize), '\0');
    char* out = file.data();
    out[0] = 'B';
    out[1] = 'M';
    putLittleEndian(out + 2, static_cast<std::uint32_t>(fileSize), 4);
    putLittleEndian(out + 10, bmpHeaderAndPaletteSize, 4);
    putLittleEndian(out + 14, 40, 4);  // info header size
    putLittleEndian(out + 18, width, 4);
    putLittleEndian(out + 22, height, 4);  // positive: rows stored bottom-up
    putLittleEndian(out + 26, 1, 2);       // planes
    putLittleEndian(out + 28, 8, 2);       // bits per pixel
    // Compression, image size, resolutions and colour counts stay 0.
    for (int i = 0; i < 256; ++i) {
        char* entry = out + 54 + 4 * i;
        entry[0] = entry[1] = entry[2] = static_cast<char>(i);
    }
    char* row = out + bmpHeaderAndPaletteSize;
    for (std::uint32_t y = height; y-- > 0; row += stride) {
        std::memcpy(row, frame + std::size_t{y} * width, width);  // padding stays zero
    }
    return file;
}
