#include "server/console_writer.h"

ConsoleWriter::ConsoleWriter() : writer_([this] { writeQueued(); }) {}

ConsoleWriter::~ConsoleWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        wake_.notify_one();
    }
    writer_.join();
}

void ConsoleWriter::queue(ConsoleStream stream, std::string_view line) {
    std::lock_guard lock(mutex_);
    const std::size_t size = line.size() + 1;
    if (size > maxQueuedBytes - queuedBytes_) {
        ++dropped_;
    } else {
        const bool halfTaken = queuedBytes_ < maxQueuedBytes / 2 && queuedBytes_ + size >= maxQueuedBytes / 2;
        queuedBytes_ += size;
        queued_.text.append(line).push_back('\n');
        if (queued_.runs.empty() || queued_.runs.back().first != stream) queued_.runs.emplace_back(stream, 0);
        queued_.runs.back().second += size;
        // The writer gathering a batch is woken early only when the queue may soon overflow.
        if (halfTaken) wake_.notify_one();
    }
    if (writerWaiting_) {
        writerWaiting_ = false;
        wake_.notify_one();
    }
}

void ConsoleWriter::writeQueued() {
    Lines writing;
    std::unique_lock lock(mutex_);
    for (;;) {
        while (queued_.runs.empty() && dropped_ == 0 && !stopping_) {
            writerWaiting_ = true;
            wake_.wait(lock);
        }
        writerWaiting_ = false;
        if (queued_.runs.empty() && dropped_ == 0) return;  // stopping, all written
        // The lines of a burst join one batch: one wake-up and one write per run, not per line.
        wake_.wait_for(lock, batchWindow, [this] { return stopping_ || queuedBytes_ >= maxQueuedBytes / 2; });
        std::swap(writing, queued_);
        const std::size_t dropped = std::exchange(dropped_, 0);
        lock.unlock();
        // One write per run of whole lines to the same stream keeps the order across streams too.
        std::size_t offset = 0;
        for (const auto& [stream, size] : writing.runs) {
            writeToConsole(stream, std::string_view(writing.text).substr(offset, size));
            offset += size;
        }
        if (dropped > 0) {
            // Built by append: GCC 12 warns falsely (-Wrestrict) on "(" + std::to_string(...).
            writeToConsole(ConsoleStream::err, std::string("(").append(std::to_string(dropped)) + " console lines dropped)\n");
        }
        // A burst's buffer is not held on to for ever.
        constexpr std::size_t keptCapacity = 64 * 1024;
        if (writing.text.capacity() > keptCapacity) writing = {};
        writing.text.clear();
        writing.runs.clear();
        lock.lock();
        queuedBytes_ -= offset;
    }
}
