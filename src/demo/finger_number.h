#pragma once

#include <cstdint>
#include <string_view>

enum class FingerReading { noDigits, outOfRange, number };

struct FingerNumber {
    FingerReading reading;
    std::int32_t value;
};

// Reads a 32-bit signed decimal the way std::stoi does: leading white space, an
// optional sign, digits up to the first non-digit; the rest is ignored.
FingerNumber readFingerNumber(std::string_view text);
