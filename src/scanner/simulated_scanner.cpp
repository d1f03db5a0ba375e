#include "scanner/simulated_scanner.h"

#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "scanner/simulator/finger_selection.h"
#include "scanner/simulator/finger_sensor.h"
#include "scanner/simulator/iso_minutiae_record.h"

namespace {

static_assert(simulatedTemplateCapacity >= maxRecordSize, "the template capacity must fit every record");

constexpr int frameWidth = static_cast<int>(simulatedFrameWidth);
constexpr int frameHeight = static_cast<int>(simulatedFrameHeight);
// A real sensor waits for a usable touch; the simulated one gives the finger a
// few touches to show enough minutiae.
constexpr int touchesPerScan = 3;

struct SimulatedDevice {
    std::mutex mutex;
    bool open = false;
    FingerChoice fingers;
    std::map<std::uint32_t, std::uintptr_t> parameters;
};

SimulatedDevice& device() {
    static SimulatedDevice instance;
    return instance;
}

// Parameters the device reports and that callers cannot change.
bool fixedParameter(std::uint32_t id, std::uintptr_t& value) {
    switch (id) {
        case scannerParameter::frameWidth: value = simulatedFrameWidth; return true;
        case scannerParameter::frameHeight: value = simulatedFrameHeight; return true;
        case scannerParameter::frameSize: value = simulatedFrameSize; return true;
        case scannerParameter::templateCapacity: value = simulatedTemplateCapacity; return true;
        default: return false;
    }
}

ScannerStatus SCANNER_API closeSession() {
    std::lock_guard lock(device().mutex);
    device().open = false;
    return scannerSuccess;
}

ScannerStatus SCANNER_API open() {
    FingerChoice fingers = fingerChoiceFromEnvironment();
    std::lock_guard lock(device().mutex);
    device().open = true;
    device().fingers = std::move(fingers);
    return scannerSuccess;
}

ScannerStatus SCANNER_API setParameter(std::uint32_t id, std::uintptr_t value) {
    std::lock_guard lock(device().mutex);
    if (!device().open) return simulatedNotOpen;
    std::uintptr_t fixed = 0;
    if (fixedParameter(id, fixed)) return simulatedBadArgument;
    device().parameters[id] = value;
    return scannerSuccess;
}

ScannerStatus SCANNER_API getParameter(std::uint32_t id, std::uintptr_t* value) {
    if (value == nullptr) return simulatedBadArgument;
    std::lock_guard lock(device().mutex);
    if (!device().open) return simulatedNotOpen;
    if (fixedParameter(id, *value)) return scannerSuccess;
    auto found = device().parameters.find(id);
    if (found == device().parameters.end()) return simulatedUnknownParameter;
    *value = found->second;
    return scannerSuccess;
}

// The callback installed as parameter 5, if any, read under the device lock and
// called outside it.
ScannerCallback installedCallback() {
    std::lock_guard lock(device().mutex);
    auto found = device().parameters.find(scannerParameter::callback);
    if (found == device().parameters.end() || found->second == 0) return nullptr;
    return reinterpret_cast<ScannerCallback>(found->second);
}

// The finger choice while the device is open.
std::optional<FingerChoice> openDeviceFingers() {
    std::lock_guard lock(device().mutex);
    if (!device().open) return std::nullopt;
    return device().fingers;
}

struct Touch {
    std::vector<std::uint8_t> frame;
    std::vector<std::uint8_t> templ;  // empty when no touch showed enough of the finger
};

Touch touchWithFinger(const FingerChoice& fingers) {
    Touch touch;
    for (int attempt = 0; attempt < touchesPerScan && touch.templ.empty(); ++attempt) {
        touch.frame = touchSensor(fingerOnSensor(fingers), freshTouchSeed(), frameWidth, frameHeight);
        touch.templ = templateOfImpression(touch.frame, frameWidth, frameHeight);
    }
    return touch;
}

ScannerStatus SCANNER_API capture(void* context, std::uint32_t, ScannerData* templ) {
    if (templ == nullptr || templ->data == nullptr) return simulatedBadArgument;
    std::optional<FingerChoice> fingers = openDeviceFingers();
    if (!fingers) return simulatedNotOpen;
    Touch touch = touchWithFinger(*fingers);
    if (touch.templ.empty()) return simulatedNoUsableTouch;
    if (ScannerCallback callback = installedCallback()) {
        ScannerFrame delivered{{0, 0}, {static_cast<std::uint32_t>(touch.frame.size()), touch.frame.data()}};
        std::uint32_t response = 0;
        callback(context, frameAvailableBit, &response, 0, &delivered);
    }
    if (touch.templ.size() > templ->size) return simulatedTemplateTooSmall;
    std::memcpy(templ->data, touch.templ.data(), touch.templ.size());
    templ->size = static_cast<std::uint32_t>(touch.templ.size());
    return scannerSuccess;
}

ScannerStatus SCANNER_API verify(void*, ScannerData* templ, std::uint32_t* matched, std::uint32_t* detail) {
    if (templ == nullptr || matched == nullptr || (templ->data == nullptr && templ->size != 0)) {
        return simulatedBadArgument;
    }
    std::optional<FingerChoice> fingers = openDeviceFingers();
    if (!fingers) return simulatedNotOpen;
    *matched = 0;
    if (detail != nullptr) *detail = 0;
    const auto* stored = static_cast<const std::uint8_t*>(templ->data);
    // Bytes that are no record cannot match; no need to touch the sensor.
    if (!readMinutiaeRecord(stored, templ->size)) return scannerSuccess;
    Touch live = touchWithFinger(*fingers);
    if (live.templ.empty()) return scannerSuccess;
    const double score = compareTemplates(stored, templ->size, live.templ.data(), live.templ.size());
    *matched = sameFinger(score) ? 1 : 0;
    return scannerSuccess;
}

}  // namespace

ScannerLibrary simulatedScannerLibrary() {
    return ScannerLibrary{closeSession, open, setParameter, getParameter, capture, verify};
}
