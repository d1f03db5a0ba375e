#pragma once

#include <string>
#include <string_view>

// Percent-decodes a form value: each "%" and the (at most) two characters after
// it become one byte, read as scanf's "%x" would read them; "+" stays "+".
// A "%" with no readable hex number after it gives the byte 0.
std::string urlDecode(std::string_view text);
