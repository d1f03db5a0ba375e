#pragma once

#include <array>
#include <string>

// The four built-in templates demo mode hands out and accepts; finger N is entry N.
extern const std::array<std::string, 4> DemoTemplates;
