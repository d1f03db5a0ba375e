#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The success body of a single scan: the frame as a Base64 BMP data URL, the
// template's bytes in Base64 and the capture's quality (0 .. 100). Nothing when
// the frame's dimensions disagree with its size.
std::optional<std::string> buildScanReplyBody(const std::uint8_t* frame, std::size_t frameSize,
                                              std::uint32_t width, std::uint32_t height,
                                              const std::uint8_t* templ, std::size_t templateLength, int quality);
