#pragma once
// The process's two console streams: progress to standard output, failures to
// standard error. Each line goes out whole in one write and is flushed at once,
// so the lines of concurrent requests never tear.

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

enum class ConsoleStream { out, err };

// A value from a request, made safe to print inside a console line: every byte
// below 0x20, 0x7F, the backslash and both bytes of a UTF-8 C1 control (C2 80
// to C2 9F) become \xNN, so a client can neither forge lines nor send the
// terminal escape codes. Other bytes are kept.
std::string forConsole(std::string_view value);

class Console {
public:
    // Receives each line without its line end.
    using Sink = std::function<void(ConsoleStream, std::string_view)>;

    // Writes to standard output and standard error.
    Console() = default;
    // Writes to a sink instead (tests, fuzzing).
    explicit Console(Sink sink) : sink_(std::move(sink)) {}
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    void out(std::string_view line) { print(ConsoleStream::out, line); }
    void err(std::string_view line) { print(ConsoleStream::err, line); }

private:
    void print(ConsoleStream stream, std::string_view line);

    std::mutex mutex_;
    Sink sink_;
};
