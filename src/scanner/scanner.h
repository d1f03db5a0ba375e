#pragma once
// The scanner the process drives: its library, the lock each scan and each
// verification holds for its whole length (so the process-wide parameters and
// the device are never changed under a request), and whether it is connected
// now, under a small lock of its own that no capture holds. While it is not
// connected, each use first runs the connect sequence again, at most once a
// second, so a scanner plugged in after start-up, or again, is found.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/console.h"
#include "scanner/default_library.h"
#include "scanner/scanner_library.h"

// Connected, or why not (empty when connected), and which library drives it.
struct ScannerState {
    bool connected = false;
    std::string detail;
    std::string_view kind = "simulated";  // or "vendor"
};

class Scanner {
public:
    // A library used as it is and taken as connected until start or a failure
    // says otherwise (tests, fuzzing).
    explicit Scanner(const ScannerLibrary& library) : library_(library) { state_.connected = true; }

    // Start-up: takes the library the finder gives (which it asks again while
    // the library cannot be used: not found, lacking a function, unplugged),
    // runs the connect sequence and prints its outcome.
    void start(Console& console, std::function<LibraryChoice()> findLibrary = {});

    // The scanner for one scan or verification, held until this is dropped.
    class Held {
    public:
        Held(Held&& other) noexcept : scanner_(std::exchange(other.scanner_, nullptr)) {}
        Held& operator=(Held&&) = delete;
        ~Held() {
            if (scanner_ != nullptr) scanner_->release();
        }
        const ScannerLibrary& library() const { return scanner_->library_; }
        // A connected scanner stopped answering: reported, and the next use reconnects.
        void lost(Console& console, const std::string& reason);

    private:
        friend class Scanner;
        explicit Held(Scanner& scanner) : scanner_(&scanner) {}
        Scanner* scanner_;
    };

    // Waits at most busyWait for a request that holds the scanner; nothing
    // when it is still held. Reconnects first when due.
    std::optional<Held> hold(Console& console);

    // The state for a status request. When the scanner is free: reconnects when
    // due, or checks a connected scanner with a scan's opening steps. When
    // another request holds it: the state kept, at once.
    ScannerState check(Console& console);

    // How long a request waits for the scanner before it is answered busy,
    // and how often the connect sequence may run while not connected.
    std::chrono::milliseconds busyWait{3000};
    std::chrono::milliseconds reconnectInterval{1000};

private:
    // The scanner lock: a flag under a mutex, so that a request can stop
    // waiting for it. Nothing when the wait (none: for ever) runs out.
    std::optional<Held> take(std::optional<std::chrono::milliseconds> wait);
    void release();

    bool connected();
    // With the scanner lock held.
    void reconnectIfDue(Console& console);
    void checkConnected(Console& console);
    // Keeps the outcome and prints what changed.
    void record(Console& console, const std::string& detail);

    ScannerLibrary library_;  // changed only with the scanner lock held
    std::string libraryProblem_;
    std::function<LibraryChoice()> findLibrary_;
    std::mutex holdMutex_;
    std::condition_variable released_;
    bool held_ = false;

    std::mutex stateMutex_;  // guards the three below
    ScannerState state_;
    std::optional<std::chrono::steady_clock::time_point> lastAttempt_;
};
