#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The success body of a single scan: the frame as a Base64 BMP data URL and
// the template's bytes in Base64. Nothing when the frame's dimensions disagree
// with its size.
std::optional<std::string> buildScanReplyBody(const std::uint8_t* frame, std::size_t frameSize,
                                              std::uint32_t width, std::uint32_t height,
                                              const std::uint8_t* templ, std::size_t templateLength);
