#pragma once

#include "scanner/scanner_library.h"

// The built-in device used where no vendor library is: it opens, keeps its
// numbered parameters, delivers 320 x 480 grey frames through the installed
// callback and makes and verifies templates of its own.
ScannerLibrary simulatedScannerLibrary();

inline constexpr std::uint32_t simulatedFrameWidth = 320;
inline constexpr std::uint32_t simulatedFrameHeight = 480;
inline constexpr std::uint32_t simulatedFrameSize = simulatedFrameWidth * simulatedFrameHeight;
inline constexpr std::uint32_t simulatedTemplateCapacity = 2048;

// Status codes of the simulated device (0 is success).
inline constexpr ScannerStatus simulatedNotOpen = 1;
inline constexpr ScannerStatus simulatedUnknownParameter = 2;
inline constexpr ScannerStatus simulatedBadArgument = 3;
inline constexpr ScannerStatus simulatedTemplateTooSmall = 4;
