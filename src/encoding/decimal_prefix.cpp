#include "encoding/decimal_prefix.h"

#include <cctype>
#include <limits>

DecimalPrefix readDecimalPrefix(std::string_view text) {
    DecimalPrefix number;
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        number.negative = text[i] == '-';
        ++i;
    }
    constexpr std::uint64_t limit = std::numeric_limits<std::uint64_t>::max();
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        unsigned digit = static_cast<unsigned>(text[i] - '0');
        number.hasDigits = true;
        number.magnitude = number.magnitude > (limit - digit) / 10 ? limit : number.magnitude * 10 + digit;
    }
    return number;
}
