#pragma once

#include "http/reply.h"
#include "platform/console.h"
#include "scanner/scanner.h"

// /api/scan/single: captures one finger, holding the scanner for the whole
// scan, and answers with the frame as a Base64 BMP data URL and the library's
// template in Base64; busy when another request keeps the scanner too long.
Reply handleScanSingle(Scanner& scanner, Console& console);
