#pragma once
// Base64: the encoder writes the standard alphabet with "=" padding; the
// decoder also takes the URL-safe alphabet and "." as a pad.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr const char* invalidBase64Message = "Input is not valid base64-encoded data.";

std::string encodeBase64(const std::uint8_t* data, std::size_t length);

// Throws std::runtime_error(invalidBase64Message) on a character outside the
// alphabets, a pad in a group's first two places, or a final group of one character.
std::string decodeBase64(std::string_view text);
