#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

inline constexpr std::uint32_t bmpHeaderAndPaletteSize = 1078;

// An 8-bit grey BMP file of a frame (rows top first, one byte a pixel): 54 bytes
// of headers, a 256-entry grey palette, rows bottom-up padded to 4 bytes.
// Nothing when width x height is not exactly frameSize or either is 0.
std::optional<std::string> buildGreyBmp(const std::uint8_t* frame, std::size_t frameSize,
                                        std::uint32_t width, std::uint32_t height);
