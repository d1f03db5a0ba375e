#pragma once
// What the server needs of the scanner maker's library, as a table of named
// function pointers. Three things fill it: the vendor DLL loaded by ordinal,
// the built-in simulated device, and scripted doubles in the tests.

#include <cstdint>

#include "platform/calling_convention.h"

// Every library call returns 0 on success.
using ScannerStatus = std::uint32_t;
inline constexpr ScannerStatus scannerSuccess = 0;

// A sized byte buffer exchanged with the library: templates, frames.
struct ScannerData {
    std::uint32_t size;
    void* data;
};

// What the library hands to a callback: two words the server does not read,
// then one grey frame, one byte a pixel, top row first.
struct ScannerFrame {
    std::uint32_t unused[2];
    ScannerData frame;
};

// One single scan's capture context, filled by frameCopyCallback.
struct FrameCopyTarget {
    void* buffer;
    std::uint32_t length;  // the frame size the scan expects
    std::uint8_t captured;
};

// context, state bits, response word (always set to 2), a word not read, frame.
using ScannerCallback = void(SCANNER_API*)(void* context, std::uint32_t stateBits,
                                           std::uint32_t* response, std::uint32_t unused,
                                           ScannerFrame* frame);

// The value every callback writes into its response word.
inline constexpr std::uint32_t callbackResponse = 2;
// State bit that marks a frame as delivered.
inline constexpr std::uint32_t frameAvailableBit = 1;

// Parameter ids the server uses.
namespace scannerParameter {
inline constexpr std::uint32_t frameWidth = 1;
inline constexpr std::uint32_t frameHeight = 2;
inline constexpr std::uint32_t frameSize = 3;
inline constexpr std::uint32_t startupFour = 4;
inline constexpr std::uint32_t callback = 5;
inline constexpr std::uint32_t templateCapacity = 6;
inline constexpr std::uint32_t startupNine = 9;
inline constexpr std::uint32_t scanMode = 10;
inline constexpr std::uint32_t startupTwoThousandOne = 2001;
}  // namespace scannerParameter

// Values of parameter 10: a single scan, and the resting mode.
inline constexpr std::uintptr_t singleScanMode = 1;
inline constexpr std::uintptr_t restingScanMode = 7;

// Mode argument of a capture.
inline constexpr std::uint32_t capturePurpose = 3;

// The library's functions, one member per ordinal. Parameter values are
// pointer-sized because parameter 5 carries a callback address.
struct ScannerLibrary {
    ScannerStatus(SCANNER_API* closeSession)();  // ordinal 2, called before opening
    ScannerStatus(SCANNER_API* open)();          // ordinal 1
    ScannerStatus(SCANNER_API* setParameter)(std::uint32_t id, std::uintptr_t value);  // 3
    // Ordinal 4. The value is pointer-sized so that a library writing a full
    // pointer-sized parameter cannot overrun it; callers read its low 32 bits.
    ScannerStatus(SCANNER_API* getParameter)(std::uint32_t id, std::uintptr_t* value);
    // Ordinal 6: captures a finger, calling the installed callback with context,
    // and writes a template into templ->data (capacity templ->size), setting
    // templ->size to the length written.
    ScannerStatus(SCANNER_API* capture)(void* context, std::uint32_t purpose, ScannerData* templ);
    // Ordinal 7: verifies a live finger against templ; on success *matched is
    // nonzero for a match. detail is written by some libraries and never read.
    ScannerStatus(SCANNER_API* verify)(void* context, ScannerData* templ, std::uint32_t* matched,
                                       std::uint32_t* detail);
};

// Reads a parameter's 32-bit value; returns the library's status.
ScannerStatus readScannerParameter(const ScannerLibrary& library, std::uint32_t id, std::uint32_t& value);

// Both callbacks write the response word; frameCopyCallback also copies a frame
// of exactly the expected size into its FrameCopyTarget, once.
void SCANNER_API defaultScanCallback(void* context, std::uint32_t stateBits,
                                     std::uint32_t* response, std::uint32_t unused,
                                     ScannerFrame* frame);
void SCANNER_API frameCopyCallback(void* context, std::uint32_t stateBits, std::uint32_t* response,
                                   std::uint32_t unused, ScannerFrame* frame);

// A callback's address as a parameter value.
std::uintptr_t callbackParameter(ScannerCallback callback);
