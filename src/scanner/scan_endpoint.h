#pragma once

#include <string>

#include "platform/net.h"

// /api/scan/single: captures one finger and answers with the frame as a Base64
// BMP data URL and the library's template in Base64.
void handleScanSingle(Socket socket, const std::string& origin);

// The reply body of one capture on the active library (the scanner lock held
// by the caller).
std::string scanSingleBody();
