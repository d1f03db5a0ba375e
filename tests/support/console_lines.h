#pragma once
// Console lines printed through `console` (or through a Console made from
// sink()), kept for the test. Console serialises the writes; tests read once
// the writers are done.

#include <string>
#include <vector>

#include "platform/console.h"

struct ConsoleLines {
    Console::Sink sink() {
        return [this](ConsoleStream stream, std::string_view line) {
            (stream == ConsoleStream::out ? out : err).emplace_back(line);
        };
    }
    std::vector<std::string> out;
    std::vector<std::string> err;
    Console console{sink()};
};
