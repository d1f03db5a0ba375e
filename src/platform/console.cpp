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

void writeWhole(ConsoleStream stream, const std::string& text) {
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
    std::string whole;
    whole.reserve(line.size() + 1);
    whole.append(line).push_back('\n');
    std::lock_guard lock(mutex_);
    if (!writer_.joinable()) {
        writeWhole(stream, whole);
        return;
    }
    if (whole.size() > maxQueuedBytes - queuedBytes_) {
        ++dropped_;
    } else {
        queuedBytes_ += whole.size();
        queue_.emplace_back(stream, std::move(whole));
    }
    if (writerWaiting_) {
        writerWaiting_ = false;
        wake_.notify_one();
    }
}

void Console::writeQueued() {
    std::unique_lock lock(mutex_);
    for (;;) {
        while (queue_.empty() && dropped_ == 0 && !stopping_) {
            writerWaiting_ = true;
            wake_.wait(lock);
        }
        writerWaiting_ = false;
        if (queue_.empty() && dropped_ == 0) return;  // stopping, all written
        std::vector<Line> batch;
        batch.swap(queue_);
        const std::size_t dropped = std::exchange(dropped_, 0);
        lock.unlock();
        // One write per run of whole lines to the same stream keeps the order across streams too.
        std::size_t batchBytes = 0;
        for (std::size_t first = 0; first < batch.size();) {
            std::string run;
            std::size_t end = first;
            for (; end < batch.size() && batch[end].first == batch[first].first; ++end) run += batch[end].second;
            writeWhole(batch[first].first, run);
            batchBytes += run.size();
            first = end;
        }
        if (dropped > 0) {
            writeWhole(ConsoleStream::err, std::string("(").append(std::to_string(dropped)) + " console lines dropped)\n");
        }
        lock.lock();
        queuedBytes_ -= batchBytes;
    }
}
