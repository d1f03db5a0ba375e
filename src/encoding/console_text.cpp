#include "encoding/console_text.h"

std::string forConsole(std::string_view value) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string printable;
    printable.reserve(value.size());
    for (char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || byte == '\\') {
            printable += "\\x";
            printable += hex[byte >> 4];
            printable += hex[byte & 15];
        } else {
            printable += c;
        }
    }
    return printable;
}
