#include "scanner/simulated_scanner.h"

#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "fingerprint/iso_minutiae_record.h"
#include "scanner/finger_selection.h"
#include "simulator/finger_sensor.h"

namespace {

static_assert(simulatedTemplateCapacity >= fingerprint::maxRecordSize, "the template capacity must fit every record");

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
    // Counts captures and verifications since the control text last changed, for "seed".
    std::string seededText;
    std::uint64_t seededCalls = 0;
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

// The control file's word now: the open device's, or the environment's before it opens.
SensorControl sensorNow() {
    FingerChoice fingers;
    {
        std::lock_guard lock(device().mutex);
        fingers = device().open ? device().fingers : fingerChoiceFromEnvironment();
    }
    return readSensorControl(fingers);
}

bool unplugged() { return sensorNow().unplugged; }

ScannerStatus SCANNER_API closeSession() {
    if (unplugged()) return simulatedUnplugged;
    std::lock_guard lock(device().mutex);
    device().open = false;
    return scannerSuccess;
}

ScannerStatus SCANNER_API open() {
    FingerChoice fingers = fingerChoiceFromEnvironment();
    if (readSensorControl(fingers).unplugged) return simulatedUnplugged;
    std::lock_guard lock(device().mutex);
    device().open = true;
    device().fingers = std::move(fingers);
    return scannerSuccess;
}

ScannerStatus SCANNER_API setParameter(std::uint32_t id, std::uintptr_t value) {
    if (unplugged()) return simulatedUnplugged;
    std::lock_guard lock(device().mutex);
    if (!device().open) return simulatedNotOpen;
    std::uintptr_t fixed = 0;
    if (fixedParameter(id, fixed)) return simulatedBadArgument;
    device().parameters[id] = value;
    return scannerSuccess;
}

ScannerStatus SCANNER_API getParameter(std::uint32_t id, std::uintptr_t* value) {
    if (value == nullptr) return simulatedBadArgument;
    if (unplugged()) return simulatedUnplugged;
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

// What one capture or verification finds on the sensor, after the wait a
// "slow" scenario asks for; a status when it finds no finger to touch.
struct Presence {
    ScannerStatus status = scannerSuccess;
    SensorControl control;
    std::uint64_t firstImpression = 0;  // with "seed": the number of this call's first impression
};

Presence failed(ScannerStatus status) {
    Presence presence;
    presence.status = status;
    return presence;
}

Presence fingerPresence() {
    Presence presence;
    {
        std::lock_guard lock(device().mutex);
        if (!device().open) return failed(simulatedNotOpen);
    }
    presence.control = sensorNow();
    if (presence.control.unplugged) return failed(simulatedUnplugged);
    if (presence.control.slowMilliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(presence.control.slowMilliseconds));
    }
    if (presence.control.noFinger) return failed(simulatedNoFinger);
    std::lock_guard lock(device().mutex);
    if (device().seededText != presence.control.text) {
        device().seededText = presence.control.text;
        device().seededCalls = 0;
    }
    presence.firstImpression = device().seededCalls++ * touchesPerScan;
    return presence;
}

struct Touch {
    std::vector<std::uint8_t> frame;
    std::vector<std::uint8_t> templ;  // empty when no touch showed enough of the finger
};

Touch touchWithFinger(const Presence& presence) {
    Touch touch;
    for (int attempt = 0; attempt < touchesPerScan && touch.templ.empty(); ++attempt) {
        const std::optional<std::uint64_t>& seed = presence.control.seed;
        const std::uint64_t touchSeed =
            seed ? simulator::impressionSeed(*seed, presence.firstImpression + attempt) : simulator::freshTouchSeed();
        touch.frame =
            simulator::touchSensor(presence.control.finger, touchSeed, frameWidth, frameHeight, presence.control.poor);
        touch.templ = simulator::templateOfImpression(touch.frame, frameWidth, frameHeight);
    }
    return touch;
}

ScannerStatus SCANNER_API capture(void* context, std::uint32_t, ScannerData* templ) {
    if (templ == nullptr || templ->data == nullptr) return simulatedBadArgument;
    const Presence presence = fingerPresence();
    if (presence.status != scannerSuccess) return presence.status;
    Touch touch = touchWithFinger(presence);
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
    *matched = 0;
    if (detail != nullptr) *detail = 0;
    const auto* stored = static_cast<const std::uint8_t*>(templ->data);
    // Bytes that are no record, or a record without minutiae, cannot match: the
    // finger is not even waited for.
    const auto record = fingerprint::readMinutiaeRecord(stored, templ->size);
    if (!record || record->minutiae.empty()) return scannerSuccess;
    const Presence presence = fingerPresence();
    if (presence.status != scannerSuccess) return presence.status;
    Touch live = touchWithFinger(presence);
    if (live.templ.empty()) return scannerSuccess;
    const double score = simulator::compareTemplates(stored, templ->size, live.templ.data(), live.templ.size());
    *matched = simulator::sameFinger(score) ? 1 : 0;
    return scannerSuccess;
}

}  // namespace

ScannerLibrary simulatedScannerLibrary() {
    return ScannerLibrary{closeSession, open, setParameter, getParameter, capture, verify};
}

bool simulatedScannerUnplugged() { return unplugged(); }
