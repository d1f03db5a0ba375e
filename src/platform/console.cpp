#include "platform/console.h"

#include <cstdio>
#include <string>

void writeToConsole(ConsoleStream stream, std::string_view text) {
    std::FILE* file = stream == ConsoleStream::out ? stdout : stderr;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fflush(file);
}

void Console::print(ConsoleStream stream, std::string_view line) {
    std::lock_guard lock(mutex_);
    if (sink_) {
        sink_(stream, line);
    } else {
        writeToConsole(stream, std::string(line) + '\n');
    }
}
