#include "fingerprint/iso_minutiae_record.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "fingerprint/angles.h"

namespace fingerprint {

namespace {

constexpr std::uint8_t formatIdentifier[4] = {'F', 'M', 'R', 0};
constexpr std::uint8_t formatVersion[4] = {' ', '2', '0', 0};
constexpr double turn = 2 * pi;
// Minutia type codes in the top two bits of the x coordinate.
constexpr unsigned typeOther = 0, typeEnding = 1, typeBifurcation = 2;
constexpr std::uint8_t maxQuality = 100;
constexpr std::uint8_t maxFingerPosition = 10;

void putBig(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Angles in the record run anticlockwise as seen on the image, in 256ths of a
// turn; in memory they run with the image's downward y axis.
std::uint8_t angleUnits(double direction) { return turnUnits(-direction); }

double directionOf(std::uint8_t units) { return units == 0 ? 0.0 : (256 - units) * turn / 256.0; }

unsigned typeCode(MinutiaKind kind) {
    switch (kind) {
        case MinutiaKind::ending: return typeEnding;
        case MinutiaKind::bifurcation: return typeBifurcation;
        case MinutiaKind::other: break;
    }
    return typeOther;
}

// Reads big-endian fields and remembers whether any ran past the end.
class Cursor {
public:
    Cursor(const std::uint8_t* bytes, std::size_t length) : bytes_(bytes), length_(length) {}
    std::uint32_t take(std::size_t count) {
        if (!fits(count)) {
            overrun_ = true;
            return 0;
        }
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < count; ++i) value = (value << 8) | bytes_[position_ + i];
        position_ += count;
        return value;
    }
    bool matches(const std::uint8_t (&expected)[4]) {
        if (!fits(4) || std::memcmp(bytes_ + position_, expected, 4) != 0) return false;
        position_ += 4;
        return true;
    }
    bool skip(std::size_t count) {
        if (!fits(count)) return false;
        position_ += count;
        return true;
    }
    bool fits(std::size_t count) const { return count <= length_ - position_; }
    bool overrun() const { return overrun_; }
    std::size_t position() const { return position_; }

private:
    const std::uint8_t* bytes_;
    std::size_t length_;
    std::size_t position_ = 0;
    bool overrun_ = false;
};

bool knownImpressionType(unsigned type) { return type <= 3 || type == 8; }

}  // namespace

std::vector<std::uint8_t> writeMinutiaeRecord(const MinutiaeRecord& record) {
    const std::size_t count = std::min(record.minutiae.size(), maxRecordMinutiae);
    const std::size_t total = recordHeaderSize + viewHeaderSize + count * minutiaSize + extendedDataLengthSize;
    std::vector<std::uint8_t> out;
    out.reserve(total);
    for (std::uint8_t byte : formatIdentifier) out.push_back(byte);
    for (std::uint8_t byte : formatVersion) out.push_back(byte);
    putBig(out, static_cast<std::uint32_t>(total), 4);
    putBig(out, 0, 2);  // capture equipment: not certified, no device type id
    putBig(out, record.imageWidth, 2);
    putBig(out, record.imageHeight, 2);
    putBig(out, record.pixelsPerCentimetreX, 2);
    putBig(out, record.pixelsPerCentimetreY, 2);
    putBig(out, 1, 1);  // finger views
    putBig(out, 0, 1);  // reserved
    putBig(out, record.fingerPosition, 1);
    putBig(out, record.impressionType & 0x0fu, 1);  // view number 0
    putBig(out, record.fingerQuality, 1);
    putBig(out, static_cast<std::uint32_t>(count), 1);
    for (std::size_t i = 0; i < count; ++i) {
        const Minutia& m = record.minutiae[i];
        putBig(out, typeCode(m.kind) << 14 | (static_cast<std::uint32_t>(m.x) & 0x3fffu), 2);
        putBig(out, static_cast<std::uint32_t>(m.y) & 0x3fffu, 2);
        putBig(out, angleUnits(m.direction), 1);
        putBig(out, static_cast<std::uint32_t>(std::clamp(m.quality, 0, int{maxQuality})), 1);
    }
    putBig(out, 0, 2);  // no extended data
    return out;
}

std::optional<MinutiaeRecord> readMinutiaeRecord(const std::uint8_t* bytes, std::size_t length) {
    if (bytes == nullptr) return std::nullopt;
    Cursor in(bytes, length);
    if (!in.matches(formatIdentifier) || !in.matches(formatVersion)) return std::nullopt;
    if (in.take(4) != length) return std::nullopt;
    MinutiaeRecord record;
    in.take(2);  // capture equipment: any
    record.imageWidth = static_cast<std::uint16_t>(in.take(2));
    record.imageHeight = static_cast<std::uint16_t>(in.take(2));
    record.pixelsPerCentimetreX = static_cast<std::uint16_t>(in.take(2));
    record.pixelsPerCentimetreY = static_cast<std::uint16_t>(in.take(2));
    const std::uint32_t views = in.take(1);
    const std::uint32_t reserved = in.take(1);
    if (in.overrun() || views == 0 || reserved != 0 || record.imageWidth == 0 || record.imageHeight == 0 ||
        record.pixelsPerCentimetreX == 0 || record.pixelsPerCentimetreY == 0) {
        return std::nullopt;
    }
    for (std::uint32_t view = 0; view < views; ++view) {
        const std::uint32_t position = in.take(1);
        const std::uint32_t viewAndType = in.take(1);
        const std::uint32_t quality = in.take(1);
        const std::uint32_t count = in.take(1);
        if (in.overrun() || position > maxFingerPosition || !knownImpressionType(viewAndType & 0x0fu) ||
            quality > maxQuality || !in.fits(count * minutiaSize)) {
            return std::nullopt;
        }
        std::vector<Minutia> minutiae;
        minutiae.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t typeAndX = in.take(2), reservedAndY = in.take(2);
            const std::uint32_t angle = in.take(1), minutiaQuality = in.take(1);
            const unsigned type = typeAndX >> 14;
            const int x = static_cast<int>(typeAndX & 0x3fffu), y = static_cast<int>(reservedAndY & 0x3fffu);
            if ((reservedAndY >> 14) != 0 || type > typeBifurcation || x >= record.imageWidth ||
                y >= record.imageHeight || minutiaQuality > maxQuality) {
                return std::nullopt;
            }
            const MinutiaKind kind = type == typeEnding        ? MinutiaKind::ending
                                     : type == typeBifurcation ? MinutiaKind::bifurcation
                                                               : MinutiaKind::other;
            minutiae.push_back({x, y, directionOf(static_cast<std::uint8_t>(angle)), kind,
                                static_cast<int>(minutiaQuality)});
        }
        const std::uint32_t extended = in.take(2);
        if (in.overrun() || !in.skip(extended)) return std::nullopt;
        if (view == 0) {
            record.fingerPosition = static_cast<std::uint8_t>(position);
            record.impressionType = static_cast<std::uint8_t>(viewAndType & 0x0fu);
            record.fingerQuality = static_cast<std::uint8_t>(quality);
            record.minutiae = std::move(minutiae);
        }
    }
    if (in.position() != length) return std::nullopt;
    return record;
}

}  // namespace fingerprint
