#pragma once
// A scanner library whose behaviour each test scripts, with a log of its calls.
// Like a real library it has one state per process.

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "scanner/scanner_library.h"

struct ScannerScript {
    ScannerStatus openStatus = 0;
    std::map<std::uint32_t, ScannerStatus> setStatus;   // per parameter id; default 0
    std::map<std::uint32_t, ScannerStatus> getStatus;   // per parameter id; default 0
    std::map<std::uint32_t, std::uint32_t> parameters;  // values read by ordinal 4
    ScannerStatus captureStatus = 0;
    std::vector<std::string> frames;  // handed to the installed callback, in order
    std::uint32_t frameStateBits = frameAvailableBit;
    std::string templateWritten;  // bytes ordinal 6 writes
    bool captureThrows = false;   // a misbehaving library
    bool captureBlocks = false;   // each capture waits for releaseCapture() first
    // Successive verify calls: status and match flag; (0, 0) after the last.
    std::deque<std::pair<ScannerStatus, std::uint32_t>> verifyResults;
};

// With captureBlocks: waits until one more capture is blocked; lets one go on.
void awaitBlockedCapture();
void releaseCapture();

// Resets the script and the log, and returns the library's table.
ScannerLibrary scriptedScanner(const ScannerScript& script = {});

// The calls so far: "2", "1", "3:<id>=<value>", "4:<id>", "6", "7".
std::vector<std::string> scannerCalls();
std::vector<std::string> verifiedTemplates();      // the bytes each verify call was given
std::uintptr_t currentParameter(std::uint32_t id);  // last value set, 0 if never
