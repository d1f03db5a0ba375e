#include "scanner/scanner.h"

#include "scanner/connect_scanner.h"

namespace {

constexpr const char* connectedLine = "Futronic device connected automatically.";
constexpr const char* failedLine = "Failed to connect to Futronic device automatically.";

}  // namespace

std::optional<Scanner::Held> Scanner::take(std::optional<std::chrono::milliseconds> wait) {
    std::unique_lock lock(holdMutex_);
    auto free = [this] { return !held_; };
    if (!wait) {
        released_.wait(lock, free);
    } else if (!released_.wait_for(lock, *wait, free)) {
        return std::nullopt;
    }
    held_ = true;
    return Held(*this);
}

void Scanner::release() {
    {
        std::lock_guard lock(holdMutex_);
        held_ = false;
    }
    released_.notify_one();
}

void Scanner::start(Console& console, std::function<LibraryChoice()> findLibrary) {
    const Held held = *take(std::nullopt);
    findLibrary_ = std::move(findLibrary);
    std::string_view kind = "simulated";
    if (findLibrary_) {
        LibraryChoice choice = findLibrary_();
        library_ = choice.functions;
        libraryProblem_ = std::move(choice.problem);
        kind = choice.kind;
    }
    // A library with a problem is not called at all.
    const std::string detail = libraryProblem_.empty() ? connectScanner(library_) : libraryProblem_;
    {
        // Neither connected nor failed yet, so that record prints whichever it is.
        std::lock_guard state(stateMutex_);
        state_ = {false, "", kind};
        lastAttempt_ = std::chrono::steady_clock::now();
    }
    if (!detail.empty()) console.err(failedLine);
    record(console, detail);
}

std::optional<Scanner::Held> Scanner::hold(Console& console) {
    std::optional<Held> held = take(busyWait);
    if (held) reconnectIfDue(console);
    return held;
}

void Scanner::Held::lost(Console& console, const std::string& reason) {
    if (scanner_->connected()) scanner_->record(console, reason);  // not connected anyway: nothing lost
}

bool Scanner::connected() {
    std::lock_guard state(stateMutex_);
    return state_.connected;
}

ScannerState Scanner::check(Console& console) {
    if (const std::optional<Held> held = take(std::chrono::milliseconds(0))) {
        if (connected()) {
            checkConnected(console);
        } else {
            reconnectIfDue(console);
        }
    }
    std::lock_guard state(stateMutex_);
    return state_;
}

void Scanner::reconnectIfDue(Console& console) {
    const auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard state(stateMutex_);
        if (state_.connected || (lastAttempt_ && now - *lastAttempt_ < reconnectInterval)) return;
        lastAttempt_ = now;
    }
    // A library that could not be used is looked for again: a DLL dropped in, a device plugged in.
    if (!libraryProblem_.empty() && findLibrary_) {
        LibraryChoice choice = findLibrary_();
        library_ = choice.functions;
        libraryProblem_ = std::move(choice.problem);
        std::lock_guard state(stateMutex_);
        state_.kind = choice.kind;
    }
    record(console, libraryProblem_.empty() ? connectScanner(library_) : libraryProblem_);
}

void Scanner::checkConnected(Console& console) {
    // A scan's own opening steps: whether the library still answers, not whether a finger could be read.
    library_.setParameter(scannerParameter::scanMode, singleScanMode);
    std::uint32_t frameSize = 0;
    const ScannerStatus status = readScannerParameter(library_, scannerParameter::frameSize, frameSize);
    library_.setParameter(scannerParameter::scanMode, restingScanMode);
    if (status != scannerSuccess) record(console, failedWithStatus("reading parameter 3", status));
}

void Scanner::record(Console& console, const std::string& detail) {
    {
        std::lock_guard state(stateMutex_);
        if (state_.connected == detail.empty() && state_.detail == detail) return;  // no news: nothing printed
        state_.connected = detail.empty();
        state_.detail = detail;
    }
    if (detail.empty()) {
        console.out(connectedLine);
    } else {
        console.err("Scanner library: " + detail);
    }
}
