#pragma once
// Finger minutiae records in the interchange format of ISO/IEC 19794-2:2005,
// the device's template format: a 24-byte record header, then per finger view
// a 4-byte header, 6 bytes per minutia and an extended data block (a 2-byte
// length and that many bytes). Every number is big-endian.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "fingerprint/minutia.h"

namespace fingerprint {

struct MinutiaeRecord {
    std::uint16_t imageWidth = 0;
    std::uint16_t imageHeight = 0;
    std::uint16_t pixelsPerCentimetreX = 0;
    std::uint16_t pixelsPerCentimetreY = 0;
    std::uint8_t fingerPosition = 0;  // 0 unknown, 1 right thumb .. 10 left little finger
    std::uint8_t impressionType = 0;  // 0 live-scan plain
    std::uint8_t fingerQuality = 0;   // 0 .. 100
    std::vector<Minutia> minutiae;    // one view; directions round to 1/256 of a turn
};

inline constexpr std::size_t recordHeaderSize = 24;
inline constexpr std::size_t viewHeaderSize = 4;
inline constexpr std::size_t minutiaSize = 6;
inline constexpr std::size_t extendedDataLengthSize = 2;
inline constexpr std::size_t maxRecordMinutiae = 255;  // the count is one byte
// The longest record the writer makes: one view, every minutia, no extended data.
inline constexpr std::size_t maxRecordSize =
    recordHeaderSize + viewHeaderSize + maxRecordMinutiae * minutiaSize + extendedDataLengthSize;
// 500 dots per inch.
inline constexpr std::uint16_t sensorPixelsPerCentimetre = 197;

// One record with one finger view. Minutiae beyond maxRecordMinutiae are left out.
std::vector<std::uint8_t> writeMinutiaeRecord(const MinutiaeRecord& record);

// The first finger view of a well-formed record, or nothing: wrong identifier
// or version, a length field that disagrees with the bytes, fields that run
// past the end, reserved values, a zero image size or resolution and minutiae
// outside the image are all refused. A view without minutiae is well formed
// (and matches nothing).
std::optional<MinutiaeRecord> readMinutiaeRecord(const std::uint8_t* bytes, std::size_t length);

}  // namespace fingerprint
