#include <gtest/gtest.h>

#include "demo/finger_number.h"

namespace {

TEST(FingerNumber, ReadsLikeStoi) {
    const std::tuple<std::string, FingerReading, std::int32_t> cases[] = {
        {"3", FingerReading::number, 3},           {" \t+4x", FingerReading::number, 4},
        {"-2147483648", FingerReading::number, INT32_MIN}, {"2147483648", FingerReading::outOfRange, 0},
        {"", FingerReading::noDigits, 0},          {"x1", FingerReading::noDigits, 0},
    };
    for (const auto& [text, reading, value] : cases) {
        FingerNumber number = readFingerNumber(text);
        EXPECT_EQ(number.reading, reading) << text;
        EXPECT_EQ(number.value, reading == FingerReading::number ? value : 0) << text;
    }
}

}  // namespace
