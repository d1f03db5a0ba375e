#include "encoding/base64.h"

#include <array>
#include <stdexcept>

namespace {

constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t invalid = 0xFF;

constexpr std::array<std::uint8_t, 256> makeDecodeTable() {
    std::array<std::uint8_t, 256> table{};
    for (auto& entry : table) entry = invalid;
    for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i);
    table['-'] = 62;
    table['_'] = 63;
    return table;
}

constexpr std::array<std::uint8_t, 256> decodeTable = makeDecodeTable();

bool isPad(char c) { return c == '=' || c == '.'; }

std::uint8_t sextet(char c) {
    std::uint8_t value = decodeTable[static_cast<unsigned char>(c)];
    if (value == invalid) throw std::runtime_error(invalidBase64Message);
    return value;
}

}  // namespace

std::string encodeBase64(const std::uint8_t* data, std::size_t length) {
    std::string text((length + 2) / 3 * 4, '\0');
    char* out = text.data();
    std::size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        std::uint32_t group = (std::uint32_t{data[i]} << 16) | (std::uint32_t{data[i + 1]} << 8) | data[i + 2];
        out[0] = alphabet[group >> 18];
        out[1] = alphabet[(group >> 12) & 63];
        out[2] = alphabet[(group >> 6) & 63];
        out[3] = alphabet[group & 63];
        out += 4;
    }
    if (length - i == 2) {
        std::uint32_t group = (std::uint32_t{data[i]} << 16) | (std::uint32_t{data[i + 1]} << 8);
        out[0] = alphabet[group >> 18];
        out[1] = alphabet[(group >> 12) & 63];
        out[2] = alphabet[(group >> 6) & 63];
        out[3] = '=';
    } else if (length - i == 1) {
        std::uint32_t group = std::uint32_t{data[i]} << 16;
        out[0] = alphabet[group >> 18];
        out[1] = alphabet[(group >> 12) & 63];
        out[2] = '=';
        out[3] = '=';
    }
    return text;
}

std::string decodeBase64(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    const std::size_t size = text.size();
    for (std::size_t k = 0; k < size; k += 4) {
        if (k + 1 == size) throw std::runtime_error(invalidBase64Message);
        std::uint8_t s0 = sextet(text[k]);
        std::uint8_t s1 = sextet(text[k + 1]);
        bytes.push_back(static_cast<char>((s0 << 2) | (s1 >> 4)));
        if (k + 2 >= size || isPad(text[k + 2])) continue;
        std::uint8_t s2 = sextet(text[k + 2]);
        bytes.push_back(static_cast<char>(((s1 & 15) << 4) | (s2 >> 2)));
        if (k + 3 >= size || isPad(text[k + 3])) continue;
        std::uint8_t s3 = sextet(text[k + 3]);
        bytes.push_back(static_cast<char>(((s2 & 3) << 6) | s3));
    }
    return bytes;
}
