#include "encoding/url_decode.h"

#include <cctype>

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// scanf("%x") on at most two characters: white space, an optional sign, then
// hex digits. No digit gives 0.
char escapedByte(std::string_view digits) {
    std::size_t i = 0;
    while (i < digits.size() && std::isspace(static_cast<unsigned char>(digits[i]))) ++i;
    bool negative = false;
    if (i < digits.size() && (digits[i] == '+' || digits[i] == '-')) {
        negative = digits[i] == '-';
        ++i;
    }
    unsigned value = 0;
    for (; i < digits.size() && hexValue(digits[i]) >= 0; ++i) value = value * 16 + hexValue(digits[i]);
    if (negative) value = 0u - value;
    return static_cast<char>(value & 0xFF);
}

}  // namespace

std::string urlDecode(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '%') {
            decoded.push_back(escapedByte(text.substr(i + 1, 2)));
            i += 3;
        } else {
            decoded.push_back(text[i]);
            ++i;
        }
    }
    return decoded;
}
