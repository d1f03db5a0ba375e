#pragma once
// The process's two console streams: progress to standard output, failures to
// standard error. Each line goes out whole and flushed, so the lines of
// concurrent requests never tear. Once serving, a writer thread does the
// writing, so a console that blocks (a selection in a console window, a pipe
// nobody reads) never holds up a request.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

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
    // Writes what is queued, then ends the writer.
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    void out(std::string_view line) { print(ConsoleStream::out, line); }
    void err(std::string_view line) { print(ConsoleStream::err, line); }

    // From now on lines are queued, up to maxQueuedBytes, for a writer thread,
    // which wakes once per batch: the first line wakes it, and it writes what
    // has come batchWindow later (at once when half the queue is taken). A
    // line that does not fit is dropped and counted, and the writer reports
    // the count on standard error once it can write again. Lines before this
    // call were written directly, in order. No effect with a sink.
    void startWriter();

    static constexpr std::size_t maxQueuedBytes = std::size_t{1} << 20;
    static constexpr std::chrono::milliseconds batchWindow{5};

private:
    // Whole lines, each ending in its newline, in the order printed, and the
    // runs of consecutive bytes that go to one stream. Kept between batches,
    // so that a line queued costs no allocation.
    struct Lines {
        std::string text;
        std::vector<std::pair<ConsoleStream, std::size_t>> runs;
    };

    void print(ConsoleStream stream, std::string_view line);
    void writeQueued();

    std::mutex mutex_;
    Sink sink_;
    // The writer's, all guarded by mutex_.
    std::condition_variable wake_;
    Lines queued_;
    std::size_t queuedBytes_ = 0;  // queued and not yet written, the batch being written included
    std::size_t dropped_ = 0;
    bool writerWaiting_ = false;  // so that a line costs a notify only when the writer sleeps
    bool stopping_ = false;
    std::thread writer_;
};
