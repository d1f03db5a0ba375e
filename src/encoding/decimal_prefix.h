#pragma once

#include <cstdint>
#include <string_view>

// The number at the start of a text, read the way strtol and std::stoi read
// base 10: C-locale white space skipped, an optional sign, then digits up to the
// first non-digit (the rest is ignored).
struct DecimalPrefix {
    bool hasDigits = false;
    bool negative = false;
    std::uint64_t magnitude = 0;  // saturates at the largest 64-bit value
};

DecimalPrefix readDecimalPrefix(std::string_view text);
