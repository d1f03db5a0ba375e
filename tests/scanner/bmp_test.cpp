#include <gtest/gtest.h>

#include "scanner/bmp.h"

namespace {

// The whole file as writeGreyBmp hands it out, or nothing as greyBmpFileSize says.
std::optional<std::string> buildGreyBmp(const std::uint8_t* frame, std::size_t frameSize, std::uint32_t width,
                                        std::uint32_t height) {
    std::optional<std::uint32_t> fileSize = greyBmpFileSize(frameSize, width, height);
    if (!fileSize) return std::nullopt;
    std::string file;
    writeGreyBmp(frame, *fileSize, width, height, [&file](const std::uint8_t* bytes, std::size_t count) {
        file.append(reinterpret_cast<const char*>(bytes), count);
    });
    return file;
}

std::uint32_t readLittleEndian(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

TEST(GreyBmp, LaysOutHeadersPaletteAndPaddedRowsBottomUp) {
    const std::uint8_t frame[] = {1, 2, 3,    // top row
                                  4, 5, 6};   // bottom row
    std::optional<std::string> bmp = buildGreyBmp(frame, sizeof frame, 3, 2);
    ASSERT_TRUE(bmp);
    ASSERT_EQ(bmp->size(), 1086u);
    struct Field {
        std::size_t offset;
        int size;
        std::uint32_t value;
    };
    const Field fields[] = {
        {2, 4, 1086}, {6, 4, 0},  {10, 4, 1078}, {14, 4, 40}, {18, 4, 3}, {22, 4, 2}, {26, 2, 1},
        {28, 2, 8},   {30, 4, 0}, {34, 4, 0},    {38, 4, 0},  {42, 4, 0}, {46, 4, 0}, {50, 4, 0},
    };
    EXPECT_EQ(bmp->substr(0, 2), "BM");
    for (const Field& field : fields) {
        EXPECT_EQ(readLittleEndian(*bmp, field.offset, field.size), field.value) << field.offset;
    }
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(readLittleEndian(*bmp, 54 + 4 * i, 4), std::uint32_t(i * 0x010101)) << i;
    }
    EXPECT_EQ(bmp->substr(1078), std::string("\x04\x05\x06\x00\x01\x02\x03\x00", 8));
}

TEST(GreyBmp, NeedsNoPaddingForWidthsOfFour) {
    std::string frame(8 * 3, '\0');
    for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<char>(i);
    std::optional<std::string> bmp =
        buildGreyBmp(reinterpret_cast<const std::uint8_t*>(frame.data()), frame.size(), 8, 3);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->size(), 1078u + 24u);
    EXPECT_EQ(bmp->substr(1078, 8), frame.substr(16, 8));
    EXPECT_EQ(bmp->substr(1094, 8), frame.substr(0, 8));
}

TEST(GreyBmp, RefusesDimensionsThatDisagreeWithTheFrame) {
    const std::uint8_t frame[12] = {};
    struct Case {
        std::uint32_t width, height;
    };
    for (Case c : {Case{3, 3}, Case{5, 2}, Case{0, 12}, Case{12, 0}, Case{0xFFFFFFFF, 0xFFFFFFFF},
                   Case{0x80000000u, 2}}) {
        EXPECT_FALSE(buildGreyBmp(frame, sizeof frame, c.width, c.height)) << c.width << "x" << c.height;
    }
    EXPECT_TRUE(buildGreyBmp(frame, sizeof frame, 4, 3));
}

}  // namespace
