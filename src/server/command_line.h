#pragma once

#include <string>
#include <vector>

inline constexpr const char* defaultAllowedOrigin = "*";

struct CommandLine {
    // The value after the last "--origin" that has one, else "*".
    std::string allowedOrigin = defaultAllowedOrigin;
    // An argument "--version" (not taken as the value of --origin) was given.
    bool versionAsked = false;
};

// What the arguments after the program name ask for; everything else is ignored.
CommandLine readCommandLine(const std::vector<std::string>& arguments);
