#pragma once

#include <string>
#include <vector>

inline constexpr const char* defaultAllowedOrigin = "*";

// The allowed origin named by the arguments after the program name: the value
// after the last "--origin" that has one, else "*". Everything else is ignored.
std::string allowedOriginFrom(const std::vector<std::string>& arguments);
