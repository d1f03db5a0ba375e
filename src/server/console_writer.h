#pragma once
// Console lines while serving: queued for one writer thread, so that a console
// that blocks (a selection in a console window, a pipe nobody reads) never
// holds up a request.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/console.h"

class ConsoleWriter {
public:
    // Lines are queued up to maxQueuedBytes. The writer thread wakes once per
    // batch: the first line wakes it, and it writes what has come batchWindow
    // later (at once when half the queue is taken). A line that does not fit is
    // dropped and counted, and the count is reported on standard error once the
    // writer can write again.
    ConsoleWriter();
    // Writes what is queued, then ends the thread.
    ~ConsoleWriter();
    ConsoleWriter(const ConsoleWriter&) = delete;
    ConsoleWriter& operator=(const ConsoleWriter&) = delete;

    // What a Console hands its lines to; lives as long as this writer.
    Console::Sink sink() {
        return [this](ConsoleStream stream, std::string_view line) { queue(stream, line); };
    }

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

    void queue(ConsoleStream stream, std::string_view line);
    void writeQueued();

    std::mutex mutex_;  // guards all below
    std::condition_variable wake_;
    Lines queued_;
    std::size_t queuedBytes_ = 0;  // queued and not yet written, the batch being written included
    std::size_t dropped_ = 0;
    bool writerWaiting_ = false;  // so that a line costs a notify only when the writer sleeps
    bool stopping_ = false;
    std::thread writer_;
};
