#pragma once

#include "scanner/scanner_library.h"

// The built-in device used where no vendor library is: it opens, keeps its
// numbered parameters, takes impressions of virtual fingers (see
// scanner/finger_selection.h for which), delivers them as 320 x 480
// grey frames through the installed callback, makes ISO/IEC 19794-2:2005 finger
// minutiae records of them and verifies live fingers against such records.
ScannerLibrary simulatedScannerLibrary();

// Whether the control file says "unplugged" now (see scanner/finger_selection.h).
bool simulatedScannerUnplugged();

inline constexpr std::uint32_t simulatedFrameWidth = 320;
inline constexpr std::uint32_t simulatedFrameHeight = 480;
inline constexpr std::uint32_t simulatedFrameSize = simulatedFrameWidth * simulatedFrameHeight;
inline constexpr std::uint32_t simulatedTemplateCapacity = 2048;

// Status codes of the simulated device (0 is success).
inline constexpr ScannerStatus simulatedNotOpen = 1;
inline constexpr ScannerStatus simulatedUnknownParameter = 2;
inline constexpr ScannerStatus simulatedBadArgument = 3;
inline constexpr ScannerStatus simulatedTemplateTooSmall = 4;
inline constexpr ScannerStatus simulatedNoUsableTouch = 5;
inline constexpr ScannerStatus simulatedNoFinger = 6;   // the control file's "none": the device's time-out
inline constexpr ScannerStatus simulatedUnplugged = 7;  // the control file's "unplugged"
