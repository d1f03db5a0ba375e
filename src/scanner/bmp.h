#pragma once
// 8-bit grey BMP files of scanner frames (rows top first, one byte a pixel):
// 54 bytes of headers, a 256-entry grey palette, rows bottom-up padded to 4 bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

inline constexpr std::uint32_t bmpHeaderAndPaletteSize = 1078;

// The file size for a frame, or nothing when width x height is not exactly
// frameSize, either is 0, or the file would not fit a 32-bit size.
std::optional<std::uint32_t> greyBmpFileSize(std::size_t frameSize, std::uint32_t width,
                                             std::uint32_t height);

// Headers and palette of the file (fileSize from greyBmpFileSize).
std::array<std::uint8_t, bmpHeaderAndPaletteSize> greyBmpHeader(std::uint32_t fileSize,
                                                                std::uint32_t width,
                                                                std::uint32_t height);

// Hands the file's bytes in order to sink(const std::uint8_t*, std::size_t), so
// they can go straight into an encoder. The dimensions must have passed greyBmpFileSize.
template <typename Sink>
void writeGreyBmp(const std::uint8_t* frame, std::uint32_t fileSize, std::uint32_t width,
                  std::uint32_t height, Sink&& sink) {
    const auto header = greyBmpHeader(fileSize, width, height);
    sink(header.data(), header.size());
    static constexpr std::uint8_t padding[3] = {0, 0, 0};
    const std::size_t padCount = (4 - width % 4) % 4;
    for (std::uint32_t y = height; y-- > 0;) {
        sink(frame + std::size_t{y} * width, width);
        if (padCount > 0) sink(padding, padCount);
    }
}
