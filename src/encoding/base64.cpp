#include "encoding/base64.h"

#include <array>
#include <cstring>
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

// Each 12-bit half of a 3-byte group maps to two output characters at once.
struct PairTable {
    char pairs[4096][2];
};

constexpr PairTable makePairTable() {
    PairTable table{};
    for (int i = 0; i < 4096; ++i) {
        table.pairs[i][0] = alphabet[i >> 6];
        table.pairs[i][1] = alphabet[i & 63];
    }
    return table;
}

constexpr PairTable pairTable = makePairTable();

char* encodeWholeGroups(const std::uint8_t* data, std::size_t groups, char* out) {
    for (std::size_t g = 0; g < groups; ++g, data += 3, out += 4) {
        std::uint32_t bits = (std::uint32_t{data[0]} << 16) | (std::uint32_t{data[1]} << 8) | data[2];
        std::memcpy(out, pairTable.pairs[bits >> 12], 2);
        std::memcpy(out + 2, pairTable.pairs[bits & 0xFFF], 2);
    }
    return out;
}

bool isPad(char c) { return c == '=' || c == '.'; }

std::uint8_t sextet(char c) {
    std::uint8_t value = decodeTable[static_cast<unsigned char>(c)];
    if (value == invalid) throw std::runtime_error(invalidBase64Message);
    return value;
}

}  // namespace

void Base64Writer::write(const std::uint8_t* data, std::size_t length) {
    // First complete a group that an earlier piece began.
    while (pendingCount_ > 0 && pendingCount_ < 3 && length > 0) {
        pending_[pendingCount_++] = *data++;
        --length;
    }
    if (pendingCount_ == 3) {
        out_ = encodeWholeGroups(pending_, 1, out_);
        pendingCount_ = 0;
    }
    std::size_t groups = length / 3;
    out_ = encodeWholeGroups(data, groups, out_);
    data += groups * 3;
    length -= groups * 3;
    while (length-- > 0) pending_[pendingCount_++] = *data++;
}

char* Base64Writer::finish() {
    if (pendingCount_ == 0) return out_;
    std::uint32_t bits = std::uint32_t{pending_[0]} << 16;
    if (pendingCount_ == 2) bits |= std::uint32_t{pending_[1]} << 8;
    out_[0] = alphabet[bits >> 18];
    out_[1] = alphabet[(bits >> 12) & 63];
    out_[2] = pendingCount_ == 2 ? alphabet[(bits >> 6) & 63] : '=';
    out_[3] = '=';
    pendingCount_ = 0;
    return out_ += 4;
}

std::string encodeBase64(const std::uint8_t* data, std::size_t length) {
    std::string text(base64Length(length), '\0');
    Base64Writer writer(text.data());
    writer.write(data, length);
    writer.finish();
    return text;
}

std::string decodeBase64(std::string_view text) {
    const std::size_t size = text.size();
    // At most three bytes per group of four characters (a short last group included).
    std::string bytes((size + 3) / 4 * 3, '\0');
    char* out = bytes.data();
    for (std::size_t k = 0; k < size; k += 4) {
        if (k + 1 == size) throw std::runtime_error(invalidBase64Message);
        std::uint8_t s0 = sextet(text[k]);
        std::uint8_t s1 = sextet(text[k + 1]);
        *out++ = static_cast<char>((s0 << 2) | (s1 >> 4));
        if (k + 2 >= size || isPad(text[k + 2])) continue;
        std::uint8_t s2 = sextet(text[k + 2]);
        *out++ = static_cast<char>(((s1 & 15) << 4) | (s2 >> 2));
        if (k + 3 >= size || isPad(text[k + 3])) continue;
        std::uint8_t s3 = sextet(text[k + 3]);
        *out++ = static_cast<char>(((s2 & 3) << 6) | s3);
    }
    bytes.resize(static_cast<std::size_t>(out - bytes.data()));
    return bytes;
}
