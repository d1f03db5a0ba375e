#pragma once
// Console lines a test's services print, kept for the test to read.

#include <mutex>
#include <string>
#include <vector>

#include "platform/console.h"

class ConsoleLines {
public:
    Console::Sink sink() {
        return [this](ConsoleStream stream, std::string_view line) {
            std::lock_guard lock(mutex_);
            (stream == ConsoleStream::out ? out_ : err_).emplace_back(line);
        };
    }
    std::vector<std::string> out() const {
        std::lock_guard lock(mutex_);
        return out_;
    }
    std::vector<std::string> err() const {
        std::lock_guard lock(mutex_);
        return err_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> out_;
    std::vector<std::string> err_;
};
