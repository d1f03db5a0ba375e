#pragma once
// Collects console lines for the length of a scope.

#include <mutex>
#include <string>
#include <vector>

#include "server/console.h"

class ConsoleCapture {
public:
    ConsoleCapture() {
        setConsoleSink([this](ConsoleStream stream, std::string_view line) {
            std::lock_guard lock(mutex_);
            (stream == ConsoleStream::out ? out_ : err_).emplace_back(line);
        });
    }
    ~ConsoleCapture() { setConsoleSink({}); }
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

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
