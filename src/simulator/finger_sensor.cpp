#include "simulator/finger_sensor.h"

#include <atomic>
#include <chrono>
#include <optional>
#include <random>

#include "fingerprint/iso_minutiae_record.h"
#include "fingerprint/minutiae_extractor.h"
#include "fingerprint/minutiae_matcher.h"
#include "simulator/impression.h"
#include "simulator/master_print_cache.h"
#include "simulator/seeded_generator.h"

namespace simulator {

std::vector<std::uint8_t> touchSensor(int finger, std::uint64_t touchSeed, int width, int height, bool poor) {
    const auto print = cachedMasterPrint(finger, width, height);
    SeededGenerator random(touchSeed);
    TouchConditions touch = drawTouchConditions(random);
    if (poor) spoilTouch(touch, random);
    return renderImpression(*print, touch, random, width, height);
}

std::uint64_t impressionSeed(std::uint64_t n, std::uint64_t k) {
    // splitmix64 of the pair: neighbouring series and impressions share nothing.
    return splitmix64(n * splitmixGamma + k + 0x632be59bd9b4e019ull);
}

std::uint64_t freshTouchSeed() {
    static std::atomic<std::uint64_t> counter{0};
    // random_device alone is not trusted to differ between runs everywhere.
    std::random_device entropy;
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::uint64_t mixed = (std::uint64_t{entropy()} << 32) ^ entropy() ^ now;
    return mixed + splitmixGamma * ++counter;
}

std::vector<std::uint8_t> templateOfImpression(const std::vector<std::uint8_t>& frame, int width, int height) {
    if (width <= 0 || height <= 0 || frame.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        return {};
    }
    fingerprint::Extraction extraction = fingerprint::extractMinutiae(frame.data(), width, height);
    if (extraction.minutiae.size() < minutiaeToEnrol) return {};
    fingerprint::MinutiaeRecord record;
    record.imageWidth = static_cast<std::uint16_t>(width);
    record.imageHeight = static_cast<std::uint16_t>(height);
    record.pixelsPerCentimetreX = record.pixelsPerCentimetreY = fingerprint::sensorPixelsPerCentimetre;
    record.fingerQuality = static_cast<std::uint8_t>(extraction.quality);
    record.minutiae = std::move(extraction.minutiae);
    return fingerprint::writeMinutiaeRecord(record);
}

double compareTemplates(const std::uint8_t* a, std::size_t aLength, const std::uint8_t* b, std::size_t bLength) {
    std::optional<fingerprint::MinutiaeRecord> first = fingerprint::readMinutiaeRecord(a, aLength);
    std::optional<fingerprint::MinutiaeRecord> second = fingerprint::readMinutiaeRecord(b, bLength);
    if (!first || !second) return 0;
    return fingerprint::matchScore(fingerprint::matchablePrint(std::move(first->minutiae)),
                                  fingerprint::matchablePrint(std::move(second->minutiae)));
}

bool sameFinger(double score) { return score >= fingerprint::sameFingerScore; }

}  // namespace simulator
