// Minutiae records: what the writer makes reads back unchanged, and the reader
// refuses what it cannot trust, since clients post templates to be verified.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <tuple>

#include "fingerprint/angles.h"
#include "fingerprint/iso_minutiae_record.h"

namespace fingerprint {

using Bytes = std::vector<std::uint8_t>;

std::optional<MinutiaeRecord> read(const Bytes& bytes) { return readMinutiaeRecord(bytes.data(), bytes.size()); }

// Unequal sizes and resolutions, so that a swap shows; the image's corners,
// every kind and both quality limits; angles round the circle.
const MinutiaeRecord sample{.imageWidth = 320, .imageHeight = 480, .pixelsPerCentimetreX = 197,
                            .pixelsPerCentimetreY = 190, .fingerPosition = 10, .impressionType = 8, .fingerQuality = 87,
                            .minutiae = {{0, 0, 0.0, MinutiaKind::ending, 1},
                                         {319, 479, pi / 2, MinutiaKind::bifurcation, 100},
                                         {160, 240, 3 * pi / 2, MinutiaKind::other, 55},
                                         {17, 401, 2 * pi - 0.01, MinutiaKind::ending, 73}}};

TEST(IsoMinutiaeRecord, ReadsBackWhatTheWriterWrote) {
    const std::optional<MinutiaeRecord> back = read(writeMinutiaeRecord(sample));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(std::tuple(back->imageWidth, back->imageHeight, back->pixelsPerCentimetreX, back->pixelsPerCentimetreY),
              std::tuple(320, 480, 197, 190));
    EXPECT_EQ(std::tuple(+back->fingerPosition, +back->impressionType, +back->fingerQuality), std::tuple(10, 8, 87));
    ASSERT_EQ(back->minutiae.size(), sample.minutiae.size());
    for (std::size_t i = 0; i < sample.minutiae.size(); ++i) {
        const Minutia &w = sample.minutiae[i], &r = back->minutiae[i];
        EXPECT_EQ(std::tuple(r.x, r.y, int(r.kind), r.quality), std::tuple(w.x, w.y, int(w.kind), w.quality)) << i;
        // Directions are stored in 256ths of a turn.
        EXPECT_LE(std::abs(std::remainder(r.direction - w.direction, 2 * pi)), pi / 256 + 1e-9) << i;
    }
}

TEST(IsoMinutiaeRecord, RefusesMalformedRecords) {
    // Offsets: 8 record length (54, low byte 11), 14 width, 16 height, 18 and 20
    // resolution, 22 views, 24 view header, 28 first minutia, last 2 extended data length.
    const std::tuple<const char*, std::function<void(Bytes&)>, int> cases[] = {
        {"unchanged", [](Bytes&) {}, 4},
        {"extended data skipped", [](Bytes& b) { b.back() = 3, b[11] += 3, b.insert(b.end(), {1, 2, 3}); }, 4},
        {"second view ignored",
         [](Bytes& b) { b[22] = 2, b[11] += 12, b.insert(b.end(), {2, 16, 40, 1, 64, 7, 0, 9, 0, 50, 0, 0}); }, 4},
        {"identifier", [](Bytes& b) { b[0] = 'X'; }, -1},
        {"length beyond the bytes", [](Bytes& b) { b[11] += 1; }, -1},
        {"no views", [](Bytes& b) { b[22] = 0, b[11] = 24, b.resize(24); }, -1},
        {"no minutiae", [](Bytes& b) { b[27] = 0, b[11] -= 24, b.erase(b.begin() + 28, b.end() - 2); }, 0},
        {"more minutiae than bytes", [](Bytes& b) { b[27] = 5; }, -1},
        {"x outside the image", [](Bytes& b) { b[28] = 0x41, b[29] = 0x40; }, -1},  // an ending at x 320
        {"y outside the image", [](Bytes& b) { b[30] = 0x01, b[31] = 0xe0; }, -1},  // y 480
        {"extended data beyond the bytes", [](Bytes& b) { b.back() = 1; }, -1},
    };
    const Bytes good = writeMinutiaeRecord(sample);
    for (const auto& [name, change, minutiae] : cases) {
        Bytes bytes = good;
        change(bytes);
        const std::optional<MinutiaeRecord> record = read(bytes);
        EXPECT_EQ(record ? static_cast<int>(record->minutiae.size()) : -1, minutiae) << name;
    }
    EXPECT_FALSE(readMinutiaeRecord(nullptr, 0).has_value());
    for (std::size_t length = 0; length < good.size(); ++length) {
        // Length field agreeing, so each field's bounds check is reached; an exact copy for the sanitizer.
        Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        if (length > 11) cut[11] = static_cast<std::uint8_t>(length);
        EXPECT_FALSE(read(cut).has_value()) << "truncated to " << length;
    }
}

}  // namespace fingerprint
