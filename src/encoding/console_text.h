#pragma once

#include <string>
#include <string_view>

// A value from a request, made safe to print inside a console line: every
// byte outside printable ASCII (0x20 to 0x7E) and the backslash become \xNN,
// so a client can neither forge or end lines early nor send terminal escape
// codes, in any terminal or viewer and whatever encoding it assumes.
std::string forConsole(std::string_view value);
