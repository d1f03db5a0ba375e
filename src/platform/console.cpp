#include "platform/console.h"

#include <cstdio>
#include <string>

std::string forConsole(std::string_view value) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string printable;
    printable.reserve(value.size());
    auto escape = [&printable](unsigned char byte) {
        printable += "\\x";
        printable += hex[byte >> 4];
        printable += hex[byte & 15];
    };
    for (std::size_t i = 0; i < value.size(); ++i) {
        auto byte = static_cast<unsigned char>(value[i]);
        auto next = i + 1 < value.size() ? static_cast<unsigned char>(value[i + 1]) : 0;
        if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            escape(byte);
            escape(next);
            ++i;
        } else if (byte < 0x20 || byte == 0x7F || byte == '\\') {
            escape(byte);
        } else {
            printable += value[i];
        }
    }
    return printable;
}

void Console::print(ConsoleStream stream, std::string_view line) {
    if (sink_) {
        std::lock_guard lock(mutex_);
        sink_(stream, line);
        return;
    }
    std::string whole;
    whole.reserve(line.size() + 1);
    whole.append(line).push_back('\n');
    std::FILE* file = stream == ConsoleStream::out ? stdout : stderr;
    std::lock_guard lock(mutex_);
    std::fwrite(whole.data(), 1, whole.size(), file);
    std::fflush(file);
}
