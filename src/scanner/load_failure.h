#pragma once
// Why the vendor library could not be loaded, in words an operator can act on.

#include <cstdint>
#include <string>
#include <string_view>

// 32 or 64 for a PE image whose first bytes are given, 0 when they do not
// make one (or stop before its optional header).
int peImageBits(std::string_view fileStart);

// The reason for the loader's error: foundFile is what the search path finds
// under the library's name ("" for nothing), fileBits its peImageBits, and
// buildBits this program's pointer width.
std::string describeLoadFailure(std::uint32_t error, const std::string& foundFile, int fileBits, int buildBits);
