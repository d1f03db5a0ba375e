#include "server/console.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace {

std::mutex& consoleMutex() {
    static std::mutex mutex;
    return mutex;
}

ConsoleSink& sink() {
    static ConsoleSink installed;
    return installed;
}

void printLine(ConsoleStream stream, std::string_view line) {
    std::string whole;
    whole.reserve(line.size() + 1);
    whole.append(line);
    whole.push_back('\n');
    std::lock_guard lock(consoleMutex());
    if (sink()) {
        sink()(stream, line);
        return;
    }
    std::FILE* file = stream == ConsoleStream::out ? stdout : stderr;
    std::fwrite(whole.data(), 1, whole.size(), file);
    std::fflush(file);
}

}  // namespace

void printOut(std::string_view line) { printLine(ConsoleStream::out, line); }

void printErr(std::string_view line) { printLine(ConsoleStream::err, line); }

void setConsoleSink(ConsoleSink sink) {
    std::lock_guard lock(consoleMutex());
    ::sink() = std::move(sink);
}
