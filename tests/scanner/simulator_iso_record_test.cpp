#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

#include "scanner/simulator/iso_minutiae_record.h"
#include "scanner/simulator/random_source.h"

namespace {

constexpr double pi = std::numbers::pi;

MinutiaeRecord sampleRecord() {
    MinutiaeRecord record;
    record.imageWidth = 320;
    record.imageHeight = 480;
    record.pixelsPerCentimetreX = record.pixelsPerCentimetreY = sensorPixelsPerCentimetre;
    record.fingerQuality = 87;
    record.minutiae = {{0, 0, 0.0, MinutiaKind::ending, 1},
                       {319, 479, pi / 2, MinutiaKind::bifurcation, 100},
                       {160, 240, 3 * pi / 2, MinutiaKind::other, 55},
                       {17, 401, 2 * pi - 0.01, MinutiaKind::ending, 73}};
    return record;
}

std::uint32_t bigEndian(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) value = value << 8 | bytes.at(at + i);
    return value;
}

double angleBetween(double a, double b) {
    double d = std::fmod(std::abs(a - b), 2 * pi);
    return d > pi ? 2 * pi - d : d;
}

std::optional<MinutiaeRecord> read(const std::vector<std::uint8_t>& bytes) {
    return readMinutiaeRecord(bytes.data(), bytes.size());
}

TEST(IsoMinutiaeRecord, LaysOutTheHeaderViewAndMinutiaeBigEndian) {
    const std::vector<std::uint8_t> bytes = writeMinutiaeRecord(sampleRecord());
    ASSERT_EQ(bytes.size(), 24u + 4 + 4 * 6 + 2);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), std::string("FMR\0 20\0", 8));
    EXPECT_EQ(bigEndian(bytes, 8, 4), bytes.size());
    EXPECT_EQ(bigEndian(bytes, 14, 2), 320u);
    EXPECT_EQ(bigEndian(bytes, 16, 2), 480u);
    EXPECT_EQ(bigEndian(bytes, 18, 2), 197u);
    EXPECT_EQ(bigEndian(bytes, 20, 2), 197u);
    EXPECT_EQ(bytes[22], 1u);  // one finger view
    EXPECT_EQ(bytes[23], 0u);
    EXPECT_EQ(bytes[26], 87u);  // finger quality
    EXPECT_EQ(bytes[27], 4u);   // minutiae
    // Second minutia: bifurcation (type 2) at (319, 479), pointing down the image.
    EXPECT_EQ(bigEndian(bytes, 34, 2), (2u << 14) | 319u);
    EXPECT_EQ(bigEndian(bytes, 36, 2), 479u);
    EXPECT_EQ(bytes[39], 100u);
    EXPECT_EQ(bigEndian(bytes, bytes.size() - 2, 2), 0u);  // no extended data
}

TEST(IsoMinutiaeRecord, AnglesRunAnticlockwiseInTurnsOf256) {
    // Image directions: y grows downwards, so pointing up is -pi/2.
    const std::pair<double, std::uint8_t> cases[] = {
        {0.0, 0}, {-pi / 2, 64}, {pi, 128}, {pi / 2, 192}, {3 * pi / 2, 64}, {2 * pi / 256 * 0.4, 0}, {-2 * pi / 256, 1}};
    for (auto [direction, units] : cases) {
        MinutiaeRecord record = sampleRecord();
        record.minutiae = {{10, 10, direction, MinutiaKind::ending, 50}};
        EXPECT_EQ(writeMinutiaeRecord(record)[32], units) << direction;
    }
}

TEST(IsoMinutiaeRecord, ReadsBackWhatWasWritten) {
    const MinutiaeRecord written = sampleRecord();
    const std::optional<MinutiaeRecord> back = read(writeMinutiaeRecord(written));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->imageWidth, written.imageWidth);
    EXPECT_EQ(back->imageHeight, written.imageHeight);
    EXPECT_EQ(back->pixelsPerCentimetreX, written.pixelsPerCentimetreX);
    EXPECT_EQ(back->fingerQuality, written.fingerQuality);
    ASSERT_EQ(back->minutiae.size(), written.minutiae.size());
    for (std::size_t i = 0; i < written.minutiae.size(); ++i) {
        const Minutia& w = written.minutiae[i];
        const Minutia& r = back->minutiae[i];
        EXPECT_EQ(r.x, w.x);
        EXPECT_EQ(r.y, w.y);
        EXPECT_EQ(r.kind, w.kind);
        EXPECT_EQ(r.quality, w.quality);
        EXPECT_LE(angleBetween(r.direction, w.direction), pi / 256 + 1e-9) << i;
    }
}

TEST(IsoMinutiaeRecord, KeepsAtMost255MinutiaeWithinTheLargestRecord) {
    MinutiaeRecord record = sampleRecord();
    record.minutiae.assign(300, {5, 6, 1.0, MinutiaKind::ending, 9});
    const std::vector<std::uint8_t> bytes = writeMinutiaeRecord(record);
    EXPECT_EQ(bytes.size(), maxRecordSize);
    ASSERT_TRUE(read(bytes).has_value());
    EXPECT_EQ(read(bytes)->minutiae.size(), 255u);
}

TEST(IsoMinutiaeRecord, AcceptsExtendedDataAndFurtherViews) {
    std::vector<std::uint8_t> bytes = writeMinutiaeRecord(sampleRecord());
    // Three bytes of extended data after the first view, then a second view.
    bytes.back() = 3;
    bytes.insert(bytes.end(), {0xaa, 0xbb, 0xcc});
    bytes.insert(bytes.end(), {2, 0x10, 40, 1, 0x40, 7, 0, 9, 0, 50, 0, 0});
    bytes[22] = 2;
    const std::uint32_t length = static_cast<std::uint32_t>(bytes.size());
    for (int i = 0; i < 4; ++i) bytes[8 + i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
    const std::optional<MinutiaeRecord> back = read(bytes);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->minutiae.size(), 4u);  // the first view's
}

TEST(IsoMinutiaeRecord, RefusesMalformedRecords) {
    const std::vector<std::uint8_t> good = writeMinutiaeRecord(sampleRecord());
    ASSERT_TRUE(read(good).has_value());
    const std::size_t firstMinutia = 28;
    const std::pair<const char*, std::function<void(std::vector<std::uint8_t>&)>> cases[] = {
        {"identifier", [](auto& b) { b[0] = 'X'; }},
        {"version", [](auto& b) { b[5] = '3'; }},
        {"length too long", [](auto& b) { b[11] += 1; }},
        {"length too short", [](auto& b) { b[11] -= 1; }},
        {"trailing byte", [](auto& b) { b.push_back(0); }},
        {"zero width", [](auto& b) { b[14] = b[15] = 0; }},
        {"zero height", [](auto& b) { b[16] = b[17] = 0; }},
        {"zero resolution", [](auto& b) { b[18] = b[19] = 0; }},
        {"no views", [](auto& b) { b[22] = 0; }},
        {"reserved header byte", [](auto& b) { b[23] = 1; }},
        {"finger position", [](auto& b) { b[24] = 11; }},
        {"impression type", [](auto& b) { b[25] = 5; }},
        {"finger quality", [](auto& b) { b[26] = 101; }},
        {"no minutiae", [](auto& b) { b[27] = 0; }},
        {"count overruns", [](auto& b) { b[27] = 5; }},
        {"count underruns", [](auto& b) { b[27] = 3; }},
        {"x outside image", [&](auto& b) { b[firstMinutia] = 0x41, b[firstMinutia + 1] = 0x40; }},  // x = 320
        {"y outside image", [&](auto& b) { b[firstMinutia + 2] = 0x01, b[firstMinutia + 3] = 0xe0; }},  // y = 480
        {"reserved type", [&](auto& b) { b[firstMinutia] |= 0xc0; }},
        {"reserved y bits", [&](auto& b) { b[firstMinutia + 2] |= 0x40; }},
        {"minutia quality", [&](auto& b) { b[firstMinutia + 5] = 200; }},
        {"extended data overruns", [](auto& b) { b[b.size() - 1] = 1; }},
        {"second view missing", [](auto& b) { b[22] = 2; }},
    };
    for (const auto& [name, corrupt] : cases) {
        std::vector<std::uint8_t> bytes = good;
        corrupt(bytes);
        EXPECT_FALSE(read(bytes).has_value()) << name;
    }
}

TEST(IsoMinutiaeRecord, RefusesEveryTruncationAndGarbage) {
    const std::vector<std::uint8_t> good = writeMinutiaeRecord(sampleRecord());
    for (std::size_t length = 0; length < good.size(); ++length) {
        // A copy of exactly `length` bytes, so that reading past it trips the sanitizers.
        const std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<long>(length));
        EXPECT_FALSE(readMinutiaeRecord(cut.data(), cut.size()).has_value()) << length;
    }
    EXPECT_FALSE(readMinutiaeRecord(nullptr, 0).has_value());
    RandomSource random(99);
    for (int i = 0; i < 500; ++i) {
        std::vector<std::uint8_t> garbage(static_cast<std::size_t>(random.below(200)));
        for (auto& byte : garbage) byte = static_cast<std::uint8_t>(random.below(256));
        if (i % 2 == 0 && garbage.size() >= 8) std::copy_n("FMR\0 20\0", 8, garbage.begin());  // past the identifier
        EXPECT_FALSE(read(garbage).has_value()) << i;
    }
}

}  // namespace
