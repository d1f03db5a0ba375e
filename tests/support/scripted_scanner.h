#pragma once
// A scanner library whose behaviour each test scripts, with a log of its calls.

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "scanner/scanner_library.h"

struct ScannerCall {
    unsigned ordinal;
    std::uint32_t id;         // parameter id (ordinals 3 and 4)
    std::uintptr_t value;     // value set (ordinal 3)
};

struct ScannerScript {
    ScannerStatus openStatus = 0;
    std::map<std::uint32_t, ScannerStatus> setStatus;   // per parameter id; default 0
    std::map<std::uint32_t, ScannerStatus> getStatus;   // per parameter id; default 0
    std::map<std::uint32_t, std::uint32_t> parameters;  // values read by ordinal 4
    ScannerStatus captureStatus = 0;
    // Frames the capture hands to the installed callback, in order.
    std::vector<std::string> frames;
    std::uint32_t frameStateBits = frameAvailableBit;
    std::string templateWritten;  // bytes ordinal 6 writes
    bool captureThrows = false;   // a misbehaving library: ordinal 6 raises an exception
    // Results of successive verify calls: status and match flag.
    std::deque<std::pair<ScannerStatus, std::uint32_t>> verifyResults;
};

// The script and the log of the one scripted library (process-wide, like a real one).
ScannerScript& script();
std::vector<ScannerCall> scannerCalls();
std::vector<std::string> verifiedTemplates();  // the bytes each verify call was given
std::uintptr_t currentParameter(std::uint32_t id);  // last value set, 0 if never

// Installs the scripted library with a fresh script and an empty log.
void installScriptedScanner(const ScannerScript& fresh = {});
