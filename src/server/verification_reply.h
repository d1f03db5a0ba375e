#pragma once

#include <string_view>

// The body both verify endpoints answer with.
std::string_view verificationBody(bool matched);
