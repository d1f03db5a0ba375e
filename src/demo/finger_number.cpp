#include "demo/finger_number.h"

#include <limits>

#include "encoding/decimal_prefix.h"

FingerNumber readFingerNumber(std::string_view text) {
    DecimalPrefix number = readDecimalPrefix(text);
    if (!number.hasDigits) return {FingerReading::noDigits, 0};
    constexpr std::uint64_t largest = std::numeric_limits<std::int32_t>::max();
    if (number.magnitude > largest + (number.negative ? 1 : 0)) return {FingerReading::outOfRange, 0};
    auto magnitude = static_cast<std::int64_t>(number.magnitude);
    return {FingerReading::number, static_cast<std::int32_t>(number.negative ? -magnitude : magnitude)};
}
