#include "platform/console.h"

#include <cstdio>
#include <string>

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
