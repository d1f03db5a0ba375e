#include "scanner/simulated_scanner.h"

#include <cstring>
#include <map>
#include <mutex>
#include <random>
#include <vector>

#include "scanner/simulated_finger.h"

namespace {

struct SimulatedDevice {
    std::mutex mutex;
    bool open = false;
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
    std::lock_guard lock(device().mutex);
    device().open = true;
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

bool isOpen() {
    std::lock_guard lock(device().mutex);
    return device().open;
}

ScannerStatus SCANNER_API capture(void* context, std::uint32_t, ScannerData* templ) {
    if (templ == nullptr || templ->data == nullptr) return simulatedBadArgument;
    if (!isOpen()) return simulatedNotOpen;
    int finger = fingerOnSensor();
    std::vector<std::uint8_t> frame = takeImpression(finger);
    if (ScannerCallback callback = installedCallback()) {
        ScannerFrame delivered{{0, 0}, {static_cast<std::uint32_t>(frame.size()), frame.data()}};
        std::uint32_t response = 0;
        callback(context, frameAvailableBit, &response, 0, &delivered);
    }
    std::vector<std::uint8_t> made = makeTemplate(frame);
    if (made.size() > templ->size) return simulatedTemplateTooSmall;
    std::memcpy(templ->data, made.data(), made.size());
    templ->size = static_cast<std::uint32_t>(made.size());
    return scannerSuccess;
}

ScannerStatus SCANNER_API verify(void*, ScannerData* templ, std::uint32_t* matched,
                                 std::uint32_t* detail) {
    if (templ == nullptr || matched == nullptr || (templ->data == nullptr && templ->size != 0)) {
        return simulatedBadArgument;
    }
    if (!isOpen()) return simulatedNotOpen;
    std::vector<std::uint8_t> live = takeImpression(fingerOnSensor());
    const auto* bytes = static_cast<const std::uint8_t*>(templ->data);
    *matched = templateMatchesFrame(bytes, templ->size, live) ? 1 : 0;
    if (detail != nullptr) *detail = 0;
    return scannerSuccess;
}

}  // namespace

ScannerLibrary simulatedScannerLibrary() {
    return ScannerLibrary{closeSession, open, setParameter, getParameter, capture, verify};
}
