#include <gtest/gtest.h>

#include <stdexcept>

#include "encoding/base64.h"

namespace {

std::string encode(const std::string& bytes) {
    return encodeBase64(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

struct Case {
    std::string bytes;
    std::string text;
};

TEST(Base64, EncodesStandardAlphabetWithPadding) {
    const Case cases[] = {
        {"", ""},         {"a", "YQ=="},        {"ab", "YWI="},
        {"abc", "YWJj"},  {"abcd", "YWJjZA=="}, {"\xFB\xFF\xBF", "+/+/"},
        {std::string("\0\0\0", 3), "AAAA"},
    };
    for (const Case& c : cases) EXPECT_EQ(encode(c.bytes), c.text) << c.text;
}

TEST(Base64, EncodingIsOneUnbrokenLineOfWholeGroups) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes.push_back(static_cast<char>(i * 7));
    std::string text = encode(bytes);
    EXPECT_EQ(text.size(), (bytes.size() + 2) / 3 * 4);
    EXPECT_EQ(text.find_first_of("\r\n-_."), std::string::npos);
    EXPECT_EQ(decodeBase64(text), bytes);
}

TEST(Base64, DecodesLenientForms) {
    const Case cases[] = {
        {"", ""},
        {"abc", "YWJj"},
        {"ab", "YWI="},
        {"ab", "YWI"},
        {"a", "YQ=="},
        {"a", "YQ.."},
        {"a", "YQ"},
        {"a", "YQ=A"},      // the fourth place after a pad is not examined
        {"aabc", "YQ==YWJj"},  // decoding goes on after a padded group
        {"\xFB\xFF\xBF", "-_-_"},
        {"\xFB\xFF\xBF", "+/+/"},
        {"\xFB\xFF\xBF", "-/+_"},
        {"a", "YR=="},      // leftover bits are dropped
        {std::string("\0\0\0", 3), "AAAA"},
    };
    for (const Case& c : cases) EXPECT_EQ(decodeBase64(c.text), c.bytes) << c.text;
}

TEST(Base64, RejectsInvalidText) {
    const std::string invalid[] = {
        "Y", "YWJjZ", "=QQQ", "Q=JD", "YW Jj", "YWJj\r\n", "YW\tJ", "YWJ\x80", "YWJj!A==",
    };
    for (const std::string& text : invalid) {
        try {
            decodeBase64(text);
            ADD_FAILURE() << "accepted " << text;
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "Input is not valid base64-encoded data.");
        }
    }
}

TEST(Base64, WriterGivesTheSameTextWhateverThePieces) {
    std::string bytes;
    for (int i = 0; i < 200; ++i) bytes.push_back(static_cast<char>(i * 13 + 7));
    const std::string whole = encode(bytes);
    for (std::size_t pieceSize : {1u, 2u, 4u, 5u, 7u, 64u}) {
        std::string text(base64Length(bytes.size()), '?');
        Base64Writer writer(text.data());
        for (std::size_t at = 0; at < bytes.size(); at += pieceSize) {
            std::size_t count = std::min(pieceSize, bytes.size() - at);
            writer.write(reinterpret_cast<const std::uint8_t*>(bytes.data()) + at, count);
        }
        EXPECT_EQ(writer.finish(), text.data() + text.size()) << pieceSize;
        EXPECT_EQ(text, whole) << pieceSize;
    }
}

TEST(Base64, RoundTripsEveryLengthAndByte) {
    std::string bytes;
    for (int length = 0; length < 300; ++length) {
        EXPECT_EQ(decodeBase64(encode(bytes)), bytes) << length;
        bytes.push_back(static_cast<char>(255 - length));
    }
}

}  // namespace
