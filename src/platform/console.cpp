#include "platform/console.h"

#include <cstdio>
#include <string>

std::string forConsole(std::string_view value) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string printable;
    printable.reserve(value.size());
    auto escape = [&printable](unsigned char byte) {
        printable += "\\x";
        printable += hex[byte >> 4];
        printable += hex[byte & 15];
    };
    for (std::size_t i = 0; i < value.size(); ++i) {
        auto byte = static_cast<unsigned char>(value[i]);
        auto next = i + 1 < value.size() ? static_cast<unsigned char>(value[i + 1]) : 0;
        if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            escape(byte);
            escape(next);
            ++i;
        } else if (byte < 0x20 || byte == 0x7F || byte == '\\') {
            escape(byte);
        } else {
            printable += value[i];
        }
    }
    return printable;
}

namespace {

std::FILE* fileOf(ConsoleStream stream) { return stream == ConsoleStream::out ? stdout : stderr; }

void writeWhole(ConsoleStream stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), fileOf(stream));
    std::fflush(fileOf(stream));
}

}  // namespace

Console::~Console() {
    if (!writer_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        wake_.notify_one();
    }
    writer_.join();
}

void Console::startWriter() {
    std::lock_guard lock(mutex_);
    if (sink_ || writer_.joinable()) return;
    writer_ = std::thread([this] { writeQueued(); });
}

void Console::print(ConsoleStream stream, std::string_view line) {
    if (sink_) {
        std::lock_guard lock(mutex_);
        sink_(stream, line);
        return;
    }
    std::lock_guard lock(mutex_);
    if (!writer_.joinable()) {
        writeWhole(stream, std::string(line) + '\n');
        return;
    }
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

void Console::writeQueued() {
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
            writeWhole(stream, std::string_view(writing.text).substr(offset, size));
            offset += size;
        }
        if (dropped > 0) {
            writeWhole(ConsoleStream::err, std::string("(").append(std::to_string(dropped)) + " console lines dropped)\n");
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
