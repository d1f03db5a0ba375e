#include "support/scripted_scanner.h"

#include <cstring>
#include <semaphore>
#include <stdexcept>

namespace {

// No lock of its own: the server holds the scanner lock around every call, and
// tests read the log once the calls are over.
struct State {
    ScannerScript script;
    std::vector<std::string> calls;
    std::vector<std::string> verified;
    std::map<std::uint32_t, std::uintptr_t> setValues;
};

// Never destroyed: a connection thread may still be using it at exit.
State& state() {
    static State* instance = new State;
    return *instance;
}

// Captures held until the test releases them: one count per blocked capture, one per release.
std::counting_semaphore<> capturesBlocked(0);
std::counting_semaphore<> capturesReleased(0);

ScannerStatus statusFor(const std::map<std::uint32_t, ScannerStatus>& statuses, std::uint32_t id) {
    auto found = statuses.find(id);
    return found == statuses.end() ? 0 : found->second;
}

ScannerStatus SCANNER_API closeSession() {
    state().calls.push_back("2");
    return 0;
}

ScannerStatus SCANNER_API open() {
    state().calls.push_back("1");
    return state().script.openStatus;
}

ScannerStatus SCANNER_API setParameter(std::uint32_t id, std::uintptr_t value) {
    // Callback addresses vary from run to run; only the other values are logged.
    state().calls.push_back("3:" + std::to_string(id) + (id == scannerParameter::callback ? "" : "=" + std::to_string(value)));
    state().setValues[id] = value;
    return statusFor(state().script.setStatus, id);
}

ScannerStatus SCANNER_API getParameter(std::uint32_t id, std::uintptr_t* value) {
    state().calls.push_back("4:" + std::to_string(id));
    *value = state().script.parameters[id];
    return statusFor(state().script.getStatus, id);
}

ScannerStatus SCANNER_API capture(void* context, std::uint32_t, ScannerData* templ) {
    const ScannerScript& script = state().script;
    state().calls.push_back("6");
    if (script.captureThrows) throw std::runtime_error("scripted failure");
    if (script.captureBlocks) {
        capturesBlocked.release();
        capturesReleased.acquire();
    }
    auto callback = reinterpret_cast<ScannerCallback>(state().setValues[scannerParameter::callback]);
    for (std::string frame : script.frames) {
        ScannerFrame delivered{{0, 0}, {static_cast<std::uint32_t>(frame.size()), frame.data()}};
        std::uint32_t response = 0;
        if (callback != nullptr) callback(context, script.frameStateBits, &response, 0, &delivered);
    }
    std::memcpy(templ->data, script.templateWritten.data(), std::min<std::size_t>(script.templateWritten.size(), templ->size));
    templ->size = static_cast<std::uint32_t>(script.templateWritten.size());
    return script.captureStatus;
}

ScannerStatus SCANNER_API verify(void*, ScannerData* templ, std::uint32_t* matched, std::uint32_t*) {
    state().calls.push_back("7");
    state().verified.emplace_back(static_cast<const char*>(templ->data), templ->size);
    auto& results = state().script.verifyResults;
    auto [status, match] = results.empty() ? std::pair<ScannerStatus, std::uint32_t>{0, 0} : results.front();
    if (!results.empty()) results.pop_front();
    *matched = match;
    return status;
}

}  // namespace

void awaitBlockedCapture() { capturesBlocked.acquire(); }

void releaseCapture() { capturesReleased.release(); }

ScannerLibrary scriptedScanner(const ScannerScript& script) {
    state() = State{script, {}, {}, {}};
    return ScannerLibrary{closeSession, open, setParameter, getParameter, capture, verify};
}

std::vector<std::string> scannerCalls() { return state().calls; }

std::vector<std::string> verifiedTemplates() { return state().verified; }

std::uintptr_t currentParameter(std::uint32_t id) { return state().setValues.count(id) ? state().setValues[id] : 0; }
