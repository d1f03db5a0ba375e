#pragma once
// Base64: the encoder writes the standard alphabet with "=" padding; the
// decoder also takes the URL-safe alphabet and "." as a pad.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr const char* invalidBase64Message = "Input is not valid base64-encoded data.";

// The length of the Base64 text of length bytes.
constexpr std::size_t base64Length(std::size_t length) { return (length + 2) / 3 * 4; }

std::string encodeBase64(const std::uint8_t* data, std::size_t length);

// Encodes bytes that arrive in pieces straight into a buffer the caller sized
// with base64Length of the total, so large replies need no intermediate copies.
class Base64Writer {
public:
    explicit Base64Writer(char* out) : out_(out) {}
    void write(const std::uint8_t* data, std::size_t length);
    // Writes the last, padded group; returns the end of the text.
    char* finish();

private:
    char* out_;
    std::uint8_t pending_[3] = {0, 0, 0};
    std::size_t pendingCount_ = 0;
};

// Throws std::runtime_error(invalidBase64Message) on a character outside the
// alphabets, a pad in a group's first two places, or a final group of one character.
std::string decodeBase64(std::string_view text);
