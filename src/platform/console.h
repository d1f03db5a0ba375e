#pragma once
// The process's two console streams: progress to standard output, failures to
// standard error. Each line goes out whole, in one write, and flushed, so the
// lines of concurrent requests never tear.

#include <functional>
#include <mutex>
#include <string_view>
#include <utility>

enum class ConsoleStream { out, err };

// Writes text that holds whole lines, each with its line end, in one write and
// flushes the stream.
void writeToConsole(ConsoleStream stream, std::string_view text);

class Console {
public:
    // Receives each line without its line end, one line at a time.
    using Sink = std::function<void(ConsoleStream, std::string_view)>;

    // Writes each line straight to its stream.
    Console() = default;
    // Hands each line to a sink instead (tests, fuzzing, a writer thread).
    explicit Console(Sink sink) : sink_(std::move(sink)) {}
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    void out(std::string_view line) { print(ConsoleStream::out, line); }
    void err(std::string_view line) { print(ConsoleStream::err, line); }

    // Later lines go to the sink; called before other threads print.
    void redirect(Sink sink) { sink_ = std::move(sink); }

private:
    void print(ConsoleStream stream, std::string_view line);

    std::mutex mutex_;
    Sink sink_;
};
